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
finish
