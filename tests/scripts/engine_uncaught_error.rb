# exit: 0
# stderr: Script 'engine_uncaught_error' line 7: NoMethodError occurred.
# stderr: undefined method `frobnicate' for nil:NilClass
# An uncaught error ends the game with a message naming the section, the line and the error.
class Scene
  def update
    nil.frobnicate
  end
end
Scene.new.update
puts 'not reached'
exit 3
