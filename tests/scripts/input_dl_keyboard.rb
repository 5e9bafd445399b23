# stderr: [DL] address 0x1234 is not memory allocated here
# DL over Fiddle: a keyboard module written against DL::CPtr sees keys pressed through our input; scripts reach
# only memory that is theirs.
require 'dl'

module Keyboard
  GetKeyboardState = Win32API.new('user32', 'GetKeyboardState', 'p', 'i')
  @state = DL::CPtr.new(DL.malloc(256), 256)

  def self.update
    GetKeyboardState.call(@state)
  end

  def self.press?(key)
    @state[key] & 0x80 != 0
  end

  def self.bytes
    @state.to_str.unpack('C*')
  end
end

keybd_event = Win32API.new('user32', 'keybd_event', 'iiil', 'v')
keybd_event.call(0x41, 0, 0, 0)
Keyboard.update
check('A pressed', Keyboard.press?(0x41), true)
check('others not', Keyboard.press?(0x42), false)
check('to_str holds the table', Keyboard.bytes.size == 256 && Keyboard.bytes[0x41] & 0x80, 0x80)
keybd_event.call(0x41, 0, 2, 0)
Keyboard.update
check('A released', Keyboard.press?(0x41), false)

# The same through a function looked up by address, and CPtr arithmetic.
keybd_event.call(0x26, 0, 0, 0)
user32 = DL.dlopen('user32')
buffer = DL::CPtr.malloc(256, DL::TYPE_VOID)
DL::CFunc.new(user32['GetKeyboardState'], DL::TYPE_LONG).call([buffer.to_i])
check('CFunc into CPtr', (buffer + 0x20)[6] & 0x80, 0x80)
keybd_event.call(0x26, 0, 2, 0)

# Byte access and C strings.
text = DL::CPtr.malloc(8)
text[0, 5] = 'hello'
text[1] = 'a'.ord
check('CPtr bytes', [text.to_s, text[0, 3], text[4]], ['hallo', 'hal', 'o'.ord])
DL.free(text.to_i)
string = 'abc'
DL::CPtr[string][1] = 'X'.ord
check('String pointer writes in place', string, 'aXc')

# Memory that is not ours is never touched.
check('foreign read', DL::CPtr.new(0x1234)[0, 4], "\0" * 4)
check('foreign write', (DL::CPtr.new(0x1234)[0] = 1), 1)

# Functions of this system's own libraries, through Fiddle.
strlen = DL::CFunc.new(DL.dlopen('libc.so.6')['strlen'], DL::TYPE_LONG)
check('native call', strlen.call(["hello\0"]), 5)
check('unlooked-up address', DL::CFunc.new(0x1234, DL::TYPE_LONG).call([]), 0)
finish
