# The script surface of Input, Input::Controller and Mouse: arities, argument errors, messages and the
# answers of a game with no keys, pads or mouse events.
def error_of
  yield
  nil
rescue Exception => error
  "#{error.class}: #{error.message}"
end

arities = {
  __reset__: 0, update: 0, press?: 1, trigger?: 1, repeat?: 1, press_key?: 1, trigger_key?: 1,
  repeat_key?: 1, dir4: 0, dir8: 0, recent_pressed: 0, recent_triggered: 0, get_key_name: 1,
  get_keys_from_flag: 1, set_keys_from_flag: 2
}
arities.each { |name, arity| check("Input.#{name} arity", Input.method(name).arity, arity) }
check('Input constants', %i[LEFT RIGHT UP DOWN A B C X Y Z L R CTRL ALT SHIFT F1 F5 F10].all? { |c| Input.const_get(c) == c }, true)
check('no F11 constant', Input.const_defined?(:F11), false)

check('update', Input.update, nil)
check('__reset__', Input.__reset__, nil)
[:C, 'c', 13, 21, :F11, 2**70].each do |key|
  check("press? #{key.inspect}", Input.press?(key), false)
  check("trigger? #{key.inspect}", Input.trigger?(key), false)
  check("repeat? #{key.inspect}", Input.repeat?(key), false)
end
check('press? float', error_of { Input.press?(1.5) }, 'TypeError: not an integer, a symbol or a string')
check('trigger? nil', error_of { Input.trigger?(nil) }, 'TypeError: not an integer, a symbol or a string')
check('press_key? 256', Input.press_key?(256), false)
check('press_key? -1', Input.press_key?(-1), false)
check('press_key? big', Input.repeat_key?(2**80), false)
check('press_key? symbol', error_of { Input.press_key?(:C) }, 'TypeError: not an integer')
check('trigger_key? string', error_of { Input.trigger_key?('13') }, 'TypeError: not an integer')
check('press? arity', error_of { Input.press? }, 'ArgumentError: wrong number of arguments (given 0, expected 1)')
check('dir4', Input.dir4, 0)
check('dir8', Input.dir8, 0)
check('recent_pressed', Input.recent_pressed, 0)
check('recent_triggered', Input.recent_triggered, 0)

check('get_key_name class', Input.get_key_name(0x41).class, String)
check('get_key_name A', Input.get_key_name(0x41), 'A')
check('get_key_name unknown', Input.get_key_name(0), '')
check('get_key_name type', error_of { Input.get_key_name(:a) }.start_with?('TypeError'), true)

check('keys of C', Input.get_keys_from_flag(:C), [13, 32, 67, 90])
check('keys of c', Input.get_keys_from_flag('c'), [13, 32, 67, 90])
check('keys of SHIFT', Input.get_keys_from_flag(:SHIFT), [16])
check('keys of A', Input.get_keys_from_flag(:A), [16])
check('keys of nothing', Input.get_keys_from_flag(:NOTHING), [])
check('keys of 13', error_of { Input.get_keys_from_flag(13) }, 'TypeError: not a symbol or a string')
codes = [90]
check('set returns its codes', Input.set_keys_from_flag(:a, codes).equal?(codes), true)
check('Z moved to A', [Input.get_keys_from_flag(:A), Input.get_keys_from_flag(:C)], [[90], [13, 32, 67]])
check('set C empty', Input.set_keys_from_flag('C', []), [])
check('C without keys', Input.get_keys_from_flag(:C), [])
check('SHIFT keeps its key', (Input.set_keys_from_flag(:SHIFT, []); Input.get_keys_from_flag(:SHIFT)), [16])
check('set codes not array', error_of { Input.set_keys_from_flag(:C, 13) }, 'TypeError: wrong argument type')
check('set name not symbol', error_of { Input.set_keys_from_flag(1.0, [13]) }, 'TypeError: not a symbol or a string')
check('set bad element', error_of { Input.set_keys_from_flag(:C, [13, nil]) }.start_with?('TypeError'), true)
check('failed set changes nothing', Input.get_keys_from_flag(:C), [])
Input.set_keys_from_flag(:C, [13, 32.9])
check('elements converted', Input.get_keys_from_flag(:C), [13, 32])

# Controllers: no pad is plugged in here.
states = Input::Controller.states
check('four states', states.size, 4)
check('state class', states.map(&:class).uniq, [Input::Controller::State])
check('first_state', Input::Controller.first_state, nil)
state = states[0]
%i[left_trigger_value right_trigger_value thumb_left_x thumb_left_y thumb_right_x thumb_right_y
   thumb_left_dir4 thumb_right_dir4 thumb_left_dir8 thumb_right_dir8].each do |name|
  check("State##{name}", state.send(name), 0)
end
check('pressed_buttons', state.pressed_buttons, [])
check('press? :A', state.press?(:A), false)
check('press? unknown name', state.trigger?('a'), false)
check('press? 15', state.repeat?(15), false)
check('press? 16', error_of { state.press?(16) }, 'RGSSError: index out of range')
check('press? -1', error_of { state.press?(-1) }, 'RGSSError: index out of range')
check('press? float', error_of { state.press?(1.0) }, 'TypeError: not an integer or a symbol')
check('State.new', error_of { Input::Controller::State.new }, 'RGSSError: cannot create built-in classes')
check('State#clone', error_of { state.clone }, 'RGSSError: cannot copy built-in classes')
check('State#dup', error_of { state.dup }, 'RGSSError: cannot copy built-in classes')

# Mouse: no events arrive in a headless run.
{ x: 0, y: 0, scroll: 0, move: 0, sys_cursor: 0, visible: 0, set_pos: 2, set_cursor: 1, set_size: 1,
  down?: -1, click?: -1, up?: -1, dbl_clk?: -1, press?: -1, clip: -1 }.each do |name, arity|
  check("Mouse.#{name} arity", Mouse.method(name).arity, arity)
end
%i[down? click? up? dbl_clk? press?].each do |name|
  check("Mouse.#{name}", [Mouse.send(name), Mouse.send(name, :L), Mouse.send(name, 'R'), Mouse.send(name, 7)],
        [false, false, false, false])
  check("Mouse.#{name} float", error_of { Mouse.send(name, 1.0) }, 'TypeError: not an integer or a symbol')
  check("Mouse.#{name} arity", error_of { Mouse.send(name, 1, 2) },
        'ArgumentError: wrong number of arguments (given 2, expected 1)')
end
check('Mouse.scroll', Mouse.scroll, 0)
check('Mouse.move', Mouse.move, false)
check('Mouse.clip three', Mouse.clip(0, 0, 10), nil)
check('Mouse.clip five', Mouse.clip(0, 0, 10, 10, 1), nil)
check('Mouse.clip none', [true, false].include?(Mouse.clip), true)
check('Mouse.set_pos', [true, false].include?(Mouse.set_pos(1, 1)), true)
check('Mouse.set_cursor missing', Mouse.set_cursor('no such cursor.cur'), false)
check('Mouse.sys_cursor', [true, false].include?(Mouse.sys_cursor), true)
check('Mouse.set_size 0', error_of { Mouse.set_size(0) }.start_with?('ArgumentError'), true)
check('Mouse.set_size 2', Mouse.set_size(2), nil)
check('Mouse.visible', Mouse.visible, true)
check('Mouse.visible= 1', (Mouse.visible = 1), 1)
check('Mouse.visible after 1', Mouse.visible, false)
Mouse.visible = true
check('Mouse.visible again', Mouse.visible, true)

# The collector frees State objects in any order, and the ones kept go on reading their pads.
GC.stress = true
kept = Input::Controller.states
Input::Controller.states.each(&:pressed_buttons)
check('keys under GC.stress', Input.get_keys_from_flag(:B), [27, 88])
GC.stress = false
check('old states still read', kept.map(&:thumb_left_x), [0, 0, 0, 0])
finish
