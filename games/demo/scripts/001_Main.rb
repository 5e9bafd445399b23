# The demo grows with the player; for now it shows that scripts run through the engine.
rgss_main do
  puts "Quillon demo: engine running on Ruby #{RUBY_VERSION}"
  data = Table.new(3, 2)
  data[2, 1] = 7
  puts "Table #{data.xsize}x#{data.ysize}, element (2, 1) = #{data[2, 1]}"
end
