# Bad input from scripts, table-driven: every method of every script-facing class and module the player defines
# (found by comparing the top-level constants with a stock interpreter's, so new classes and methods are covered
# as they land) is called with wrong types, disposed objects, absurd sizes and NaN or infinite numbers in each
# argument position. Each call must return or raise a StandardError: never crash (the sanitizer build runs this
# too), raise anything else (NoMemoryError, SystemStackError, ...), take seconds or make the process grow by
# gigabytes.
require 'rbconfig'

# Called by name only where the bad value would be a legitimate request to wait or never return.
NEVER_RETURNS = %w[rgss_stop rgss_main].freeze
# Frame counts: a huge one is a legitimate (long) wait, so these get no absurd sizes.
WAITS = %w[Graphics.wait Graphics.transition Graphics.fadein Graphics.fadeout Graphics.play_movie].freeze
# Methods that stand in for the process's own exits and resets.
ENDS = %w[exit exit! abort __reset__].freeze

# The interpreter's own constants, with the same standard libraries loaded (zlib, fiddle, ...): those are not ours.
def stock_constants
  ruby = File.join(RbConfig::CONFIG['bindir'], RbConfig::CONFIG['ruby_install_name'])
  ruby = 'ruby' unless File.executable?(ruby)
  roots = [RbConfig::CONFIG['rubylibprefix'], RbConfig::CONFIG['rubyarchdir'], RbConfig::CONFIG['vendorarchdir']]
  libraries = $LOADED_FEATURES.select { |path| roots.compact.any? { |root| path.start_with?(root) } }
  command = [ruby, '--disable-gems', *libraries.map { |path| "-r#{path}" }, '-e', 'print Object.constants.join(" ")']
  IO.popen(command, &:read).split.map(&:to_sym)
end

def ours?(method)
  method.source_location.nil?
end

def player_modules
  found = []
  (Object.constants - stock_constants).sort.each do |name|
    next if Object.autoload?(name) # a standard library left to load at its first use
    value = Object.const_get(name)
    next unless value.is_a?(Module)
    found << value
    value.constants.sort.each do |inner|
      nested = value.const_get(inner)
      found << nested if nested.is_a?(Module) && nested.name&.start_with?("#{value.name}::")
    end
  end
  found.uniq.select do |mod|
    mod.singleton_methods(false).any? { |m| ours?(mod.method(m)) } ||
      (mod.instance_methods(false) + mod.private_instance_methods(false)).any? { |m| ours?(mod.instance_method(m)) }
  end
end

def disposed(object)
  object.dispose
  object
end

def live_samples
  viewport = Viewport.new(0, 0, 32, 32)
  {
    'Bitmap' => Bitmap.new(16, 16), 'Rect' => Rect.new(0, 0, 8, 8), 'Color' => Color.new(1, 2, 3),
    'Tone' => Tone.new(1, 2, 3), 'Viewport' => viewport, 'Font' => Font.new, 'Table' => Table.new(2, 2),
    'String' => 'Graphics/x', 'Integer' => 1, 'Float' => 0.5, 'Array' => [1, 2], 'Symbol' => :C,
    'Sprite' => Sprite.new(viewport), 'Hash' => {}, 'TrueClass' => true, 'Numeric' => 1
  }
end

BAD_VALUES = [
  nil, true, 'text', :symbol, [], [nil], {}, Object.new, -1, 0, 2**31 - 1, -2**31, 2**62, 2**64, -2**64,
  1e300, -1e300, Float::NAN, Float::INFINITY, -Float::INFINITY,
  disposed(Bitmap.new(4, 4)), disposed(Viewport.new(0, 0, 4, 4)), disposed(Sprite.new)
].freeze

def absurd?(value)
  value.is_a?(Numeric) && !(value.is_a?(Float) && value.finite? && value.abs < 1e9) &&
    !(value.is_a?(Integer) && value.between?(-1, 1))
end

class BadInputRun
  attr_reader :failures, :calls, :methods_tried

  def initialize(samples, modules)
    @samples = samples
    @settings = modules.flat_map do |mod|
      mod.singleton_methods(false).grep(/\A\w+=\z/).map { |setter| [mod, setter.to_s.chomp('=')] }
                                 .select { |_, getter| mod.respond_to?(getter) && mod.method(getter).arity.zero? }
    end
    @failures = []
    @calls = 0
    @methods_tried = 0
    @peak = peak_rss_kib
  end

  def peak_rss_kib
    File.read('/proc/self/status')[/VmHWM:\s+(\d+)/, 1].to_i
  end

  # What a call did: :ok, or the exception's class and message.
  def outcome(target, name, args)
    @calls += 1
    started = Process.clock_gettime(Process::CLOCK_MONOTONIC)
    result = begin
      target.__send__(name, *args)
      :ok
    rescue StandardError => error
      [error.class, error.message]
    rescue Exception => error # rubocop:disable Lint/RescueException
      @failures << "#{describe(target, name)}(#{args.map(&:inspect).join(', ')}): #{error.class}: #{error.message}"
      [error.class, error.message]
    end
    seconds = Process.clock_gettime(Process::CLOCK_MONOTONIC) - started
    @failures << "#{describe(target, name)}(#{args.map(&:inspect).join(', ')}) took #{seconds.round(1)} s" if seconds > 3
    peak = peak_rss_kib
    if peak - @peak > 1_500_000
      @failures << "#{describe(target, name)}(#{args.map(&:inspect).join(', ')}) grew the process by #{(peak - @peak) / 1024} MiB"
    end
    @peak = peak
    result
  end

  def describe(target, name)
    target.is_a?(Module) ? "#{target}.#{name}" : "#{target.class}##{name}"
  end

  # Arguments that get as far as possible: starting from 1 everywhere, each type error that names the class it
  # expected puts a sample of that class in the first position holding what it was given, unless the method then
  # refuses the sample there.
  def learn_arguments(target, name, count)
    args = Array.new(count, 1)
    (count * 2).times do
      result = outcome(target, name, args)
      break unless result.is_a?(Array) && result[0] <= TypeError
      wanted = result[1][/(?:expected |into |of )([A-Z][\w:]*)\)?\z/, 1]
      sample = @samples[wanted] || @samples[wanted.to_s.split('::').last]
      break if sample.nil?
      given = given_class(result[1])
      improved = (0...count).any? do |position|
        next false if args[position].is_a?(sample.class) || (given && args[position].class.name != given)
        trial = args.dup
        trial[position] = sample
        tried = outcome(target, name, trial)
        # Not that position when the sample itself is now what the method refuses.
        next false if tried.is_a?(Array) && given_class(tried[1]) == sample.class.name
        args = trial
        true
      end
      break unless improved
    end
    args
  end

  # The class an error message says it was given: "can't convert Integer into Bitmap", "wrong argument type
  # Integer (expected String)", "no implicit conversion of Integer into String".
  def given_class(message)
    message[/(?:convert |type |conversion of )([A-Z][\w:]*)/, 1]
  end

  def argument_counts(arity)
    return [arity] if arity >= 0
    minimum = -arity - 1
    (minimum..[minimum + 4, 6].min).to_a
  end

  # A scene object keeps what a setter accepted until it is drawn: each accepted bad value gets a frame.
  def try_method(target, name, arity, waits)
    @methods_tried += 1
    puts describe(target, name)
    draws = name.to_s.end_with?('=') && !target.is_a?(Module)
    argument_counts(arity).each do |count|
      base = learn_arguments(target, name, count)
      count.times do |position|
        BAD_VALUES.each do |value|
          next if waits && absurd?(value)
          args = base.dup
          args[position] = value
          outcome(Graphics, :update, []) if outcome(target, name, args) == :ok && draws
        end
      end
    end
  end

  # Class-wide settings (Font.default_name, Graphics.frame_rate, ...) that a method changed get their value back,
  # so that one method's accepted value is not every later method's input.
  def keeping_settings
    saved = @settings.map { |mod, getter| [mod, getter, mod.__send__(getter)] }
    yield
  ensure
    saved.each { |mod, getter, value| mod.__send__("#{getter}=", value) rescue nil }
  end

  def run_module(mod)
    mod.singleton_methods(false).sort.each do |name|
      method = mod.method(name)
      next unless ours?(method)
      next if NEVER_RETURNS.include?(name.to_s) || ENDS.include?(name.to_s) || name.to_s.start_with?('__')
      keeping_settings { try_method(mod, name, method.arity, WAITS.include?("#{mod}.#{name}")) }
    end
    return unless mod.is_a?(Class)

    names = mod.instance_methods(false) + mod.private_instance_methods(false)
    names.sort.each do |name|
      next unless ours?(mod.instance_method(name))
      next if NEVER_RETURNS.include?(name.to_s) || ENDS.include?(name.to_s)
      next if name == :initialize
      receiver = instance_of(mod)
      next if receiver.nil?
      keeping_settings { try_method(receiver, name, mod.instance_method(name).arity, false) }
      receiver.dispose if receiver.respond_to?(:dispose) && !(receiver.respond_to?(:disposed?) && receiver.disposed?)
    end
    # The constructor: through new, as scripts reach it.
    arity = mod.instance_method(:initialize).arity
    keeping_settings { try_method(mod, :new, arity, false) } if ours?(mod.instance_method(:initialize))
  end

  # A working instance, made with the first constructor arguments that are accepted; classes made from model or
  # skeleton files get the shared samples when they are there.
  def instance_of(klass)
    samples = ENV['QUILLON_TESTDATA'].to_s
    files = [["#{samples}/live2d/Haru/", 'Haru.model3.json'],
             ["#{samples}/spine38/spineboy/spineboy.atlas", "#{samples}/spine38/spineboy/spineboy-ess.skel"]]
    candidates = [[], [@samples['Viewport']], [16, 16], [0, 0, 16, 16], [1, 2, 3], [1]]
    candidates += files if File.directory?(samples)
    candidates.each do |args|
      return klass.new(*args)
    rescue StandardError
      next
    end
    nil
  end
end

samples = live_samples
modules = player_modules
run = BadInputRun.new(samples, modules)
modules.each { |mod| run.run_module(mod) }
# Global functions of ours (save_data writes into the test's own temporary game folder).
%i[load_data save_data msgbox msgbox_p].each do |name|
  next unless Object.private_method_defined?(name)
  run.keeping_settings { run.try_method(self, name, method(name).arity, false) }
end
Graphics.update
puts "bad input: #{modules.size} classes and modules, #{run.methods_tried} methods, #{run.calls} calls: " \
     "#{modules.map(&:to_s).join(' ')}"
run.failures.first(40).each { |failure| $failures << failure }
$failures << "... and #{run.failures.size - 40} more" if run.failures.size > 40
finish
