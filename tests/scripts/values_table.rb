# The engine's Table with the player's element reader and writer.
begin
  flat = Table.new(4)
  check('writer returns the value', flat.send(:[]=, 0, 70_000), 70_000)
  check('low 16 bits stored', flat[0], 4464)
  flat[1] = 40_000
  check('stored bits read back signed', flat[1], -25_536)
  check('read past the end', flat[4], nil)
  check('read before the start', flat[-1], nil)
  check('write out of range', flat.send(:[]=, 9, 1), nil)
  check('reader arity', error_of { flat[0, 0] }, 'ArgumentError: wrong number of arguments (given 2, expected 1)')

  map = Table.new(3, 2, 2)
  map[2, 1, 1] = 1234
  check('3-dimensional element', [map[2, 1, 1], map[0, 0, 0], map[3, 0, 0]], [1234, 0, nil])
  check('reader arity 3', error_of { map[1, 1] }, 'ArgumentError: wrong number of arguments (given 2, expected 3)')
  check('writer arity 3', error_of { map.send(:[]=, 1, 1, 5) },
        'ArgumentError: wrong number of arguments (given 2, expected 3)')
  check('non-numeric value', error_of { map[0, 0, 0] = 'tile' },
        'TypeError: no implicit conversion of String into Integer')

  # A table written through the player's writer still saves with its real shape.
  copy = Marshal.load(Marshal.dump(map))
  check('saved table', [copy.xsize, copy.ysize, copy.zsize, copy[2, 1, 1]], [3, 2, 2, 1234])
  check('saved dimension count', map._dump(0).unpack1('l<'), 3)
rescue StandardError, ScriptError => error
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
