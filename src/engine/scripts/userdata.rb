# Run only for a game whose folder this user cannot write: the files its scripts write under the game folder
# go to the game's per-user data folder, and reads look there first. __user_data_path__(name, writing) maps a
# name (names outside the game folder come back unchanged); __user_data_folder__ is the folder itself.

module UserDataFiles
  WRITE_FLAGS = File::WRONLY | File::RDWR | File::CREAT | File::TRUNC | File::APPEND

  module_function

  def name?(name)
    name.is_a?(String) || name.respond_to?(:to_path)
  end

  # :read, :write (new contents) or :modify (keeps what is there: append, read-write).
  def access(mode, options)
    mode = options[:mode] || mode
    flags = options[:flags].to_i
    case mode
    when Integer
      flags |= mode
      keep = (mode & File::TRUNC).zero?
    when String
      letters = mode.split(':').first.to_s
      return :modify if letters.include?('a') || letters.include?('+') && !letters.include?('w')
      return :write if letters.include?('w')
    end
    return :read if (flags & WRITE_FLAGS).zero?
    keep == false || (flags & File::TRUNC).nonzero? ? :write : :modify
  end

  def path(name, access = :read)
    return name unless name?(name)
    return __user_data_path__(name, false) if access == :read
    target = __user_data_path__(name, true)
    # A file changed in place starts as the game folder's copy.
    if access == :modify && !File.exist?(target) && File.file?(name)
      File.binwrite(target, File.binread(name))
    end
    target
  end

  # Both folders' answers to a relative pattern, as one sorted list without repeats.
  def glob(patterns, flags, options)
    found = yield(patterns, flags, options)
    relative = Array(patterns).all? { |pattern| name?(pattern) && !File.absolute_path?(pattern.to_s) }
    return found unless relative && options[:base].nil? && File.directory?(__user_data_folder__)
    written = yield(patterns, flags, options.merge(base: __user_data_folder__))
    merged = found | written
    options[:sort] == false ? merged : merged.sort
  end

  def entries(folder)
    mapped = File.expand_path(folder.to_s) == Dir.pwd ? __user_data_folder__ : __user_data_path__(folder, false)
    return yield(folder) if mapped == folder.to_s || !File.directory?(mapped)
    game_copy = begin
      File::Stat.new(folder).directory?
    rescue SystemCallError
      false
    end
    game_copy ? yield(folder) | yield(mapped) : yield(mapped)
  end
end

class << File
  prepend(Module.new do
    def open(name, mode = nil, *rest, **options, &block)
      target = UserDataFiles.path(name, UserDataFiles.access(mode, options))
      mode.nil? ? super(target, *rest, **options, &block) : super(target, mode, *rest, **options, &block)
    end

    def new(name, mode = nil, *rest, **options, &block)
      target = UserDataFiles.path(name, UserDataFiles.access(mode, options))
      mode.nil? ? super(target, *rest, **options, &block) : super(target, mode, *rest, **options, &block)
    end

    %i[exist? file? directory? readable? size size? zero? empty? mtime atime ctime stat lstat read binread
       readlines foreach].each do |method|
      define_method(method) { |name, *rest, **options, &block| super(UserDataFiles.path(name), *rest, **options, &block) }
    end

    def write(name, text, offset = nil, **options)
      access = offset.nil? ? :write : :modify
      target = UserDataFiles.path(name, options.key?(:mode) ? UserDataFiles.access(nil, options) : access)
      offset.nil? ? super(target, text, **options) : super(target, text, offset, **options)
    end

    def binwrite(name, text, offset = nil, **options)
      target = UserDataFiles.path(name, offset.nil? ? :write : :modify)
      offset.nil? ? super(target, text, **options) : super(target, text, offset, **options)
    end

    %i[delete unlink].each do |method|
      define_method(method) { |*names| super(*names.map { |name| UserDataFiles.path(name) }) }
    end

    def rename(from, to)
      super(UserDataFiles.path(from), UserDataFiles.path(to, :write))
    end
  end)
end

class << FileTest
  prepend(Module.new do
    %i[exist? file? directory? readable? size size? zero? empty?].each do |method|
      define_method(method) { |name| super(UserDataFiles.path(name)) }
    end
  end)
end

class << Dir
  prepend(Module.new do
    def glob(patterns, flags = 0, **options, &block)
      found = UserDataFiles.glob(patterns, flags, options) { |p, f, o| super(p, f, **o, &nil) }
      return found unless block
      found.each(&block)
      nil
    end

    def [](*patterns, **options)
      glob(patterns, 0, **options)
    end

    def exist?(name)
      super(UserDataFiles.path(name))
    end

    def entries(name, **options)
      UserDataFiles.entries(name) { |folder| super(folder, **options) }
    end

    def children(name, **options)
      UserDataFiles.entries(name) { |folder| super(folder, **options) }
    end

    def each_child(name, **options, &block)
      names = children(name, **options)
      return names.each unless block
      names.each(&block)
      nil
    end

    def mkdir(name, *rest)
      target = UserDataFiles.path(name, :write)
      return 0 if target != name.to_s && File.directory?(target)
      super(target, *rest)
    end

    %i[delete rmdir unlink].each do |method|
      define_method(method) { |name| super(UserDataFiles.path(name)) }
    end
  end)
end

module Kernel
  prepend(Module.new do
    def open(name, mode = nil, *rest, **options, &block)
      return super unless UserDataFiles.name?(name) && !name.to_s.start_with?('|')
      target = UserDataFiles.path(name, UserDataFiles.access(mode, options))
      mode.nil? ? super(target, *rest, **options, &block) : super(target, mode, *rest, **options, &block)
    end
    private :open
  end)
end
