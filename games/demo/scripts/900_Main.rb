rgss_main do
  puts "Quillon demo on Ruby #{RUBY_VERSION}"
  # For tests: QUILLON_DEMO_TOUR=N shows each scene for N frames, then ends the demo; with QUILLON_DEMO_SOAK=1
  # the tour starts over instead of ending (tools/soak).
  tour = ENV['QUILLON_DEMO_TOUR'].to_i
  soak = ENV['QUILLON_DEMO_SOAK'] == '1'
  index = 0
  frames = 0
  scene = Demo::SCENES[index].new
  loop do
    Graphics.update
    Input.update
    frames += 1
    break if Input.trigger?(:B) || Demo.pad_trigger?(:B)
    step = 0
    step = -1 if Input.trigger?(:L) || Demo.pad_trigger?(:LEFT_SHOULDER)
    step = 1 if Input.trigger?(:R) || Demo.pad_trigger?(:RIGHT_SHOULDER)
    if tour > 0 && frames % tour == 0
      break if index == Demo::SCENES.size - 1 && !soak
      step = 1
    end
    if step != 0 && Demo::SCENES.size > 1
      scene.dispose
      index = (index + step) % Demo::SCENES.size
      scene = Demo::SCENES[index].new
    else
      scene.update
    end
  end
  scene.dispose
end
