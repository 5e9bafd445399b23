# What Ruby 1.9.2 and the engine games were made for offered, and game scripts still use, restored where this
# interpreter removed or changed it. Each entry is defined only when missing, so a newer interpreter's own version
# always wins. The habits answered here:
# - Hash#index; nil.to_s, true.to_s and false.to_s as new mutable strings; Fixnum and Bignum; Thread.exclusive;
#   the taint methods; File.exists? and Dir.exists?;
# - Zlib without a require;
# - a class variable used inside `class << SomeConstant` at the top level, which 1.9 gave to Object
#   (__rgss_compatible_source__ rewrites such a section before it runs);
# - rgss_main retrying its block after F12.

# Built into the engine: scripts use it without a require. Loaded at first use, as RbConfig is (which scripts
# found defined): each costs every start its loading otherwise.
autoload :Zlib, 'zlib'
autoload :RbConfig, 'rbconfig'

class Hash
  # Removed in 3.0; scripts use it as a reverse lookup.
  alias_method :index, :key unless method_defined?(:index)
end

# Since 2.7 these return one shared frozen string; scripts append to the result (`nil.to_s << text`).
class NilClass
  def to_s
    String.new
  end
end

class TrueClass
  def to_s
    String.new('true')
  end
end

class FalseClass
  def to_s
    String.new('false')
  end
end

# Scripts test `value.is_a?(Fixnum)`; the integer classes were unified into Integer.
Object.const_set(:Fixnum, Integer) unless Object.const_defined?(:Fixnum)
Object.const_set(:Bignum, Integer) unless Object.const_defined?(:Bignum)

class Thread
  # Removed in 3.0: runs the block while no other script thread runs it at the same time.
  unless respond_to?(:exclusive)
    EXCLUSIVE_LOCK = Mutex.new
    def self.exclusive(&block)
      EXCLUSIVE_LOCK.synchronize(&block)
    end
  end
end

class Object
  # The taint model is gone; scripts still call these for safety checks that can no longer fail.
  unless method_defined?(:taint)
    def taint; self; end
    def untaint; self; end
    def tainted?; false; end
    def trust; self; end
    def untrust; self; end
    def untrusted?; false; end
  end
end

class << File
  alias_method :exists?, :exist? unless method_defined?(:exists?)
end

class << Dir
  alias_method :exists?, :exist? unless method_defined?(:exists?)
end

module Kernel
  # Runs the game's main block; F12 raises RGSSReset, after which the subsystems are reset and the block
  # starts again.
  def rgss_main
    begin
      yield
    rescue RGSSReset
      __rgss_reset_subsystems__
      retry
    end
  end
  private :rgss_main
end

module Kernel
  # Since Ruby 3.0 a class variable whose nearest scope is the top level raises "class variable access from
  # toplevel"; 1.9 gave it to Object. Games use them inside `class << SomeConstant ... end` written at the top level.
  # Wrapping each such block in `class Object; ... ; end` (on the same lines, so line numbers stay) gives the
  # variables to Object again and changes nothing else. Returns the section's text rewritten, or nil when no block
  # needs it.
  def __rgss_compatible_source__(code, section)
    return nil unless code.include?('@@') && code.match?(/^class[ \t]*<<[ \t]*[A-Z]/)
    require 'ripper'
    finder = Class.new(Ripper) do
      attr_reader :blocks, :variables

      def on_const(token)
        [:const, lineno, column]
      end

      def on_kw(token)
        @last_end = [lineno, column] if token == 'end'
        token
      end

      def on_cvar(token)
        (@variables ||= []) << [lineno, column]
        token
      end

      def on_sclass(target, _body)
        (@blocks ||= []) << [target[1], target[2], *@last_end] if target.is_a?(Array) && target[0] == :const
        nil
      end
    end.new(code)
    finder.parse
    return nil if finder.error? || !finder.blocks || !finder.variables
    lines = code.b.lines
    edits = finder.blocks.select do |line, column, end_line, end_column|
      lines[line - 1].byteslice(0, column).match?(/\Aclass[ \t]*<<[ \t]*\z/) &&
        finder.variables.any? { |at| ([line, column] <=> at) < 0 && (at <=> [end_line, end_column]) < 0 }
    end
    return nil if edits.empty?
    edits.sort.reverse_each do |line, _column, end_line, end_column|
      lines[end_line - 1] = lines[end_line - 1].byteslice(0, end_column + 3) + '; end' +
                            lines[end_line - 1].byteslice(end_column + 3..)
      lines[line - 1] = 'class Object; ' + lines[line - 1]
    end
    rewritten = lines.join.force_encoding(Encoding::UTF_8)
    return nil unless Ripper.sexp(rewritten)
    edits.each do |line, *|
      $stderr.puts "[compat] #{section} line #{line}: class variables in `class << ...` belong to Object, as in Ruby 1.9"
    end
    rewritten
  end
  private :__rgss_compatible_source__
end
