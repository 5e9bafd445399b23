# What Ruby 1.9.2 offered and game scripts still use, restored where this interpreter removed or changed it.
# Each entry is defined only when missing, so a newer interpreter's own version always wins.

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
