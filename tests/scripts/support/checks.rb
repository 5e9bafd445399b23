# Shared by the end-to-end tests: packed as the first section of every test game.
$failures = []

def check(what, actual, expected)
  $failures << "#{what}: got #{actual.inspect}, expected #{expected.inspect}" unless actual == expected
end

def error_of
  yield
  'no error'
rescue StandardError => error
  "#{error.class}: #{error.message}"
end

def arity(given, expected)
  "ArgumentError: wrong number of arguments (given #{given}, expected #{expected})"
end

# Ends the test: status 0 when every check held, else the failures on standard error and status 1.
def finish
  exit 0 if $failures.empty?
  $stderr.puts($failures)
  exit 1
end
