# DL: the foreign-memory library that keyboard and memory scripts use, over Fiddle. Scripts may only reach
# memory that is theirs: blocks allocated through DL (or the Windows allocation functions) and the bytes of
# their Strings. An address outside those is never touched: reads give zeros and writes are skipped, each with
# one line on standard error, where Windows would have stopped the game with an access violation.

# Fiddle is loaded at its first use: few games reach for DL, and loading it costs every start some milliseconds.
autoload :Fiddle, 'fiddle'

module DL
  class DLError < StandardError; end
  class DLTypeError < DLError; end

  TYPE_VOID = 0
  TYPE_VOIDP = 1
  TYPE_CHAR = 2
  TYPE_SHORT = 3
  TYPE_INT = 4
  TYPE_LONG = 5
  TYPE_LONG_LONG = 6
  TYPE_FLOAT = 7
  TYPE_DOUBLE = 8
  SIZEOF_VOIDP = [0].pack('J').bytesize
  SIZEOF_CHAR = 1
  SIZEOF_SHORT = 2
  SIZEOF_INT = 4
  SIZEOF_LONG = [0].pack('l!').bytesize
  SIZEOF_LONG_LONG = 8
  SIZEOF_FLOAT = 4
  SIZEOF_DOUBLE = 8

  # A window on memory a script may use, bounded by its size.
  class Region
    attr_reader :size

    def read(offset, length)
      offset = offset.to_i
      return ''.b if offset.negative? || offset >= size || length.to_i <= 0
      fetch(offset, [length.to_i, size - offset].min)
    end

    # Writes as much of `bytes` as fits; answers the number written.
    def write(offset, bytes)
      offset = offset.to_i
      bytes = bytes.to_s.b
      return 0 if offset.negative? || offset >= size
      part = bytes.byteslice(0, size - offset)
      store(offset, part)
      part.bytesize
    end

    # The bytes up to the first NUL character (two NUL bytes on a 2-byte boundary for wide text).
    def cstring(offset = 0, wide: false)
      bytes = read(offset, size)
      return bytes.byteslice(0, bytes.index("\0") || bytes.bytesize) unless wide
      units = bytes.unpack('v*')
      units.take_while { |unit| unit != 0 }.pack('v*')
    end
  end

  # A String's own bytes: written in place, keeping the String's size and encoding.
  class StringRegion < Region
    def initialize(string, offset = 0)
      @string = string
      @offset = offset
    end

    def size
      [@string.bytesize - @offset, 0].max
    end

    def address
      Memory.string_address(@string) + @offset
    end

    private

    def fetch(offset, length)
      @string.byteslice(@offset + offset, length).b
    end

    def store(offset, bytes)
      if @string.frozen?
        Memory.report("a frozen String was given as a buffer; nothing is written to it")
        return
      end
      encoding = @string.encoding
      @string.force_encoding(Encoding::BINARY)
      @string[@offset + offset, bytes.bytesize] = bytes
      @string.force_encoding(encoding)
    end
  end

  # Part of a block allocated through DL, from `address` to the block's end.
  class BlockRegion < Region
    attr_reader :address, :size

    def initialize(address, size)
      @address = address
      @size = size
    end

    private

    def fetch(offset, length)
      Fiddle::Pointer.new(@address + offset, length)[0, length].b
    end

    def store(offset, bytes)
      Fiddle::Pointer.new(@address + offset, bytes.bytesize)[0, bytes.bytesize] = bytes
    end
  end

  # The blocks scripts allocated, by address.
  module Memory
    @blocks = {}
    @reported = {}

    module_function

    # One line per kind of refusal (`key`), so a script probing memory in a loop does not flood the log.
    def report(message, key = message)
      return if @reported[key]
      @reported[key] = true
      $stderr.puts "[DL] #{message}"
    end

    def allocate(size)
      size = size.to_i
      raise DLError, 'cannot allocate memory here' unless defined?(Fiddle)
      raise DLError, "cannot allocate #{size} bytes" if size.negative?
      address = Fiddle.malloc([size, 1].max)
      Fiddle::Pointer.new(address, size)[0, size] = "\0" * size if size.positive?
      @blocks[address] = size
      address
    end

    def release(address)
      address = address.to_i
      return if address.zero?
      if @blocks.delete(address)
        Fiddle.free(address)
      else
        report(format('free of 0x%x skipped: not a block allocated here', address), :free)
      end
    end

    def reallocate(address, size)
      address = address.to_i
      return allocate(size) if address.zero?
      old = @blocks[address]
      unless old
        report(format('realloc of 0x%x refused: not a block allocated here', address), :realloc)
        return 0
      end
      fresh = allocate(size)
      BlockRegion.new(fresh, size.to_i).write(0, BlockRegion.new(address, old).read(0, old))
      release(address)
      fresh
    end

    def owned?(address)
      @blocks.key?(address.to_i)
    end

    # The rest of the block holding `address`, or nil (reported) for memory that is not ours.
    def region_at(address)
      address = address.to_i
      @blocks.each do |base, size|
        return BlockRegion.new(address, base + size - address) if address >= base && address < base + size
      end
      report(format('address 0x%x is not memory allocated here: reads give zeros, writes are skipped', address),
             :foreign)
      nil
    end

    # What a pointer argument stands for: a String's bytes, a DL::CPtr's memory, or our block at an address.
    # Nil for NULL (nil or 0) and for memory that is not ours.
    def region(value)
      case value
      when nil then nil
      when String then StringRegion.new(value)
      when CPtr then value.region
      when Integer then value.zero? ? nil : region_at(value)
      else
        value.respond_to?(:to_ptr) ? region(value.to_ptr) : region_at(value.to_i)
      end
    end

    def string_address(string)
      defined?(Fiddle) ? Fiddle::Pointer[string].to_i : string.object_id
    end
  end

  def self.malloc(size)
    Memory.allocate(size)
  end

  def self.realloc(address, size)
    Memory.reallocate(address, size)
  end

  def self.free(address)
    Memory.release(address)
    nil
  end

  # A pointer into memory, as scripts use it to read and write buffers byte by byte.
  class CPtr
    include Comparable

    attr_accessor :size
    attr_reader :free

    def self.malloc(size, free = nil)
      new(Memory.allocate(size), size, free)
    end

    # A String gives a pointer to its own bytes; anything else its address.
    def self.to_ptr(value)
      case value
      when CPtr then value
      when String then new(value)
      when nil then new(0)
      else value.respond_to?(:to_ptr) ? to_ptr(value.to_ptr) : new(value.to_i)
      end
    end

    class << self
      alias [] to_ptr
    end

    def initialize(address = 0, size = nil, free = nil)
      if address.is_a?(String)
        @string = address
        @offset = 0
        @size = size || address.bytesize
      else
        @address = address.to_i
        @size = size.to_i
      end
      self.free = free
    end

    # A block allocated here and given a free function is released when the pointer is collected.
    def free=(function)
      @free = function
      return unless function && @address && Memory.owned?(@address)
      ObjectSpace.define_finalizer(self, CPtr.releaser(@address))
    end

    def self.releaser(address)
      proc { Memory.release(address) }
    end

    def to_i
      @string ? Memory.string_address(@string) + @offset : @address
    end
    alias to_int to_i

    def null?
      to_i.zero?
    end

    def region
      return StringRegion.new(@string, @offset) if @string
      @address.zero? ? nil : Memory.region_at(@address)
    end

    # One byte as an Integer, or `length` bytes as a String.
    def [](index, length = nil)
      area = region
      if length.nil?
        bytes = area ? area.read(index, 1) : ''
        bytes.empty? ? 0 : bytes.unpack1('C')
      else
        area ? area.read(index, length).ljust(length.to_i, "\0") : "\0" * length.to_i
      end
    end

    # ptr[index] = byte, or ptr[offset, length] = string (the first `length` bytes of it).
    def []=(index, length_or_value, value = nil)
      area = region
      if value.nil?
        area&.write(index, [length_or_value.to_i].pack('C'))
        length_or_value
      else
        area&.write(index, value.to_s.b.byteslice(0, length_or_value.to_i))
        value
      end
    end

    # The bytes up to the first NUL, or `length` bytes.
    def to_s(length = nil)
      return self[0, length] if length
      area = region
      area ? area.cstring : ''
    end

    # `length` bytes, or the pointer's size.
    def to_str(length = nil)
      self[0, length || @size]
    end

    def +(other)
      moved(other.to_i)
    end

    def -(other)
      moved(-other.to_i)
    end

    # The pointer stored at this address.
    def ptr
      CPtr.new(self[0, SIZEOF_VOIDP].unpack1('J'))
    end

    def ==(other)
      other.respond_to?(:to_i) && to_i == other.to_i
    end
    alias eql? ==

    def <=>(other)
      to_i <=> other.to_i
    end

    def hash
      to_i.hash
    end

    def inspect
      format('#<DL::CPtr:0x%x ptr=0x%x size=%d>', object_id, to_i, @size.to_i)
    end

    protected

    attr_writer :string, :offset, :address

    private

    def moved(delta)
      moved = CPtr.new(0, [@size.to_i - delta, 0].max)
      if @string
        moved.string = @string
        moved.offset = @offset + delta
      else
        moved.address = @address + delta
      end
      moved
    end
  end

  NULL = CPtr.new(0)

  # Functions looked up through DL::Handle: those of Windows libraries are answered by Win32API, those of
  # shared objects on this system are called through Fiddle. Any other address is never called.
  module Functions
    WINDOWS_BASE = 0x7E57_0000_0000
    @windows = {}
    @native = {}

    module_function

    def windows_symbol(library, name)
      key = "#{library.downcase}!#{name}"
      @windows.each { |address, (known, _)| return address if known == key }
      address = WINDOWS_BASE + @windows.size * 16
      @windows[address] = [key, Win32API.new(library, name, nil, nil)]
      address
    end

    def native_symbol(address)
      @native[address] = true
      address
    end

    def call(address, type, args)
      if (entry = @windows[address])
        return entry[1].call(*args)
      end
      unless @native[address]
        Memory.report(format('call of 0x%x skipped: not a function looked up through DL::Handle', address), :call)
        return 0
      end
      values = args.map { |arg| argument(arg) }
      result_type = type == TYPE_VOIDP ? Fiddle::TYPE_VOIDP : type
      result = Fiddle::Function.new(address, values.map { Fiddle::TYPE_LONG_LONG }, result_type).call(*values)
      result.is_a?(Fiddle::Pointer) ? result.to_i : result
    end

    def argument(value)
      case value
      when nil then 0
      when String then Memory.string_address(value)
      when Integer then value
      else value.to_i
      end
    end
  end

  # A loaded library. Windows libraries (a name ending in ".dll" or with no extension) stand for the
  # functions Win32API answers; other names load a shared object of this system.
  class Handle
    def self.windows_library?(library)
      library.is_a?(String) && (library =~ /\.dll\z/i || library !~ %r{[./]})
    end

    def initialize(library = nil, flags = 0)
      if Handle.windows_library?(library)
        @windows = library.sub(/\.dll\z/i, '')
      else
        raise DLError, 'cannot load libraries here' unless defined?(Fiddle)
        begin
          @handle = library.nil? ? Fiddle::Handle::DEFAULT : Fiddle::Handle.new(library, flags.zero? ? Fiddle::RTLD_LAZY | Fiddle::RTLD_GLOBAL : flags)
        rescue Fiddle::DLError => e
          raise DLError, e.message
        end
      end
    end

    def sym(name)
      return Functions.windows_symbol(@windows, name.to_s) if @windows
      Functions.native_symbol(@handle.sym(name.to_s))
    rescue Fiddle::DLError => e
      raise DLError, e.message
    end
    alias [] sym

    def close
      0
    end
  end

  def self.dlopen(library = nil, flags = 0)
    Handle.new(library, flags)
  end

  # A function at an address from DL::Handle, called with an Array of arguments.
  class CFunc
    attr_accessor :name, :ctype, :calltype

    def initialize(address, type = TYPE_VOID, name = nil, calltype = :cdecl)
      @address = address.to_i
      @ctype = type
      @name = name
      @calltype = calltype
    end

    def to_i
      @address
    end
    alias ptr to_i

    def call(args)
      Functions.call(@address, @ctype, Array(args))
    end

    def inspect
      format('#<DL::CFunc:0x%x ptr=0x%x type=%d name=%s>', object_id, @address, @ctype, @name.inspect)
    end
  end
end

# Scripts written for the old interpreter load it by name.
$LOADED_FEATURES << 'dl.rb'
