# The environment variables Windows always sets, made from this system's counterparts when the user has not set
# them; scripts read them at load (ENV['USERNAME'] + ...).
%w[USERNAME USERPROFILE APPDATA LOCALAPPDATA TEMP TMP COMPUTERNAME HOMEPATH].each do |name|
  check("#{name} is set", ENV[name].to_s.empty?, false)
end
check('HOMEDRIVE joins HOMEPATH into the home folder', ENV['HOMEDRIVE'] + ENV['HOMEPATH'], ENV['USERPROFILE'])
check('OS', ENV['OS'], 'Windows_NT')
check('the temporary folder is one', File.directory?(ENV['TEMP']), true)
check('COMPUTERNAME is upper case', ENV['COMPUTERNAME'], ENV['COMPUTERNAME'].upcase)
finish
