# What Ruby 1.9 game scripts rely on and this interpreter changed or removed, one check per entry.
check('Hash#index', { a: 1, b: 2 }.index(2), :b)
text = nil.to_s
text << 'appended'
check('nil.to_s is a new string', text, 'appended')
check('nil.to_s twice', nil.to_s, '')
check('true.to_s is mutable', (true.to_s << '!'), 'true!')
check('false.to_s is mutable', (false.to_s << '!'), 'false!')
check('Fixnum', 5.is_a?(Fixnum), true)
check('Bignum', (2**70).is_a?(Bignum), true)
check('Thread.exclusive', Thread.exclusive { 42 }, 42)
check('taint', 'x'.taint.tainted?, false)
check('untaint', 'x'.untaint, 'x')
check('File.exists?', File.exists?('Data/Scripts.rvdata2'), true)
check('Dir.exists?', Dir.exists?('Data'), true)
check('UTF-8 source', 'ä'.encoding, Encoding::UTF_8)
check('default external', Encoding.default_external, Encoding::UTF_8)

# Zlib without a require, as the engine had it built in.
deflated = Zlib::Deflate.deflate('battle log ' * 100)
check('Zlib round trip', Zlib::Inflate.inflate(deflated), 'battle log ' * 100)

# The game folder and the interpreter's own library, nothing of the host's.
check('the game folder is on the load path', $LOAD_PATH.first, Dir.pwd)
check('no site or gem folder', $LOAD_PATH.grep(/site_ruby|vendor_ruby|gems/), [])
check('the standard library loads', require('set'), true)

# A class variable inside `class << SomeModule` at the top level: Ruby 1.9 gave it to Object, Ruby 3 refuses it.
# stderr: [compat] engine_compat line
module Volume
end
class << Volume
  @@level = 80
  def level
    @@level
  end

  def level=(value)
    @@level = value
  end
end
class << Volume; @@muted = false; def muted?; @@muted; end; end
Volume.level = 55
check('a class variable of a singleton block', [Volume.level, Volume.muted?], [55, false])
check('it belongs to Object, as in Ruby 1.9', Object.class_variable_get(:@@level), 55)
check('line numbers stay', __LINE__, 46)
finish
