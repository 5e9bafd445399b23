rgss_main do
  puts "Quillon demo on Ruby #{RUBY_VERSION}"
  # For tests: QUILLON_DEMO_TOUR=N shows each scene for N frames, then ends the demo.
  tour = ENV['QUILLON_DEMO_TOUR'].to_i
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
      break if index == Demo::SCENES.size - 1
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
