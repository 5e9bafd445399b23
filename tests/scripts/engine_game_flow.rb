# rgss_main re-runs its block after RGSSReset; save_data/load_data round-trip through Marshal; a failed
# save leaves the previous file intact.
runs = 0
rgss_main do
  runs += 1
  raise RGSSReset if runs < 3
end
check('rgss_main runs', runs, 3)

data = { party: [1, 2, 3], name: 'Ἀλέξανδρος', table: Table.new(2, 2).tap { |t| t[1, 1] = 300 } }
save_data(data, 'Save01.rvdata2')
loaded = load_data('save01.RVDATA2')
check('loaded party', loaded[:party], [1, 2, 3])
check('loaded name', loaded[:name], 'Ἀλέξανδρος')
check('loaded table', loaded[:table][1, 1], 300)
check('backslash path', (save_data([7], 'Data\\Extra.rvdata2'); load_data('Data/Extra.rvdata2')), [7])

# An object Marshal cannot write must not cost the player the save they already had.
begin
  save_data({ broken: proc {} }, 'Save01.rvdata2')
  check('unmarshalable save raised', false, true)
rescue TypeError
end
check('old save survives', load_data('Save01.rvdata2')[:party], [1, 2, 3])
begin
  save_data(1, 'NoSuchFolder/Save.rvdata2')
  check('save into a missing folder raised', false, true)
rescue Errno::ENOENT
end
check('no temporaries left', Dir.children('.').grep(/tmp/), [])

begin
  load_data('Data/Missing.rvdata2')
  check('missing data raised', false, true)
rescue Errno::ENOENT => e
  check('missing data message', e.message.include?('Data/Missing.rvdata2'), true)
end

check('rgss_main is private', Object.new.respond_to?(:rgss_main), false)
check('RGSSError', RGSSError.superclass, StandardError)
check('RGSSReset', RGSSReset.superclass, Exception)
finish
