# The RPG data classes: defaults, the instance-variable names Marshal stores, a Marshal round trip of a
# populated map, records written the way the editor writes them, and the BGM/BGS/ME/SE bookkeeping.

def check_ivars(object, names)
  check("#{object.class} instance variables", object.instance_variables.sort,
        names.map { |name| :"@#{name}" }.sort)
end

# Records every Audio call instead of playing anything, whether or not the player defines Audio.
module AudioRecorder
  def self.calls
    @calls ||= []
  end

  %i[bgm_play bgm_stop bgm_fade bgs_play bgs_stop bgs_fade me_play me_stop me_fade se_play
     se_stop].each do |name|
    define_method(name) { |*args| AudioRecorder.calls << [name, *args] }
  end

  def bgm_pos
    1234
  end

  def bgs_pos
    567
  end
end
Object.const_set(:Audio, Module.new) unless defined?(Audio)
Audio.singleton_class.prepend(AudioRecorder)

# Stand-ins with the data files' byte form, for a player that does not define these classes yet.
%w[Color Tone].each do |name|
  next if Object.const_defined?(name)
  Object.const_set(name, Class.new do
    def initialize(*channels)
      @channels = channels.map(&:to_f)
    end

    def _dump(_level)
      @channels.pack('E4')
    end

    def self._load(bytes)
      new(*bytes.unpack('E4'))
    end
  end)
end

def audio_calls
  calls = AudioRecorder.calls.dup
  AudioRecorder.calls.clear
  calls
end

begin
  # Maps and events.
  map = RPG::Map.new(17, 13)
  check_ivars(map, %w[display_name tileset_id width height scroll_type specify_battleback battleback1_name
                      battleback2_name autoplay_bgm bgm autoplay_bgs bgs disable_dashing encounter_list
                      encounter_step parallax_name parallax_loop_x parallax_loop_y parallax_sx parallax_sy
                      parallax_show note data events])
  check('Map size', [map.width, map.height, map.tileset_id, map.encounter_step], [17, 13, 1, 30])
  check('Map data size', [map.data.xsize, map.data.ysize, map.data.zsize], [17, 13, 4])
  check('Map bgm', [map.bgm.class, map.bgm.name, map.bgm.volume, map.bgm.pitch], [RPG::BGM, '', 100, 100])
  check('Map bgs', [map.bgs.class, map.bgs.volume], [RPG::BGS, 80])
  check('Map collections', [map.encounter_list, map.events], [[], {}])
  check('Map::Encounter', [RPG::Map::Encounter.new.troop_id, RPG::Map::Encounter.new.weight], [1, 10])
  check_ivars(RPG::MapInfo.new, %w[name parent_id order expanded scroll_x scroll_y])

  event = RPG::Event.new(3, 4)
  check('Event', [event.id, event.name, event.x, event.y, event.pages.size], [0, '', 3, 4, 1])
  page = event.pages[0]
  check_ivars(page, %w[condition graphic move_type move_speed move_frequency move_route walk_anime step_anime
                       direction_fix through priority_type trigger list])
  check('Page movement', [page.move_type, page.move_speed, page.move_frequency, page.walk_anime, page.trigger],
        [0, 3, 3, true, 0])
  check('Page list', page.list.map { |c| [c.class, c.code, c.indent, c.parameters] },
        [[RPG::EventCommand, 0, 0, []]])
  condition = page.condition
  check('Page condition class', condition.class, RPG::Event::Page::Condition)
  check('Page condition', [condition.switch1_valid, condition.switch1_id, condition.variable_value,
                           condition.self_switch_ch, condition.actor_id], [false, 1, 0, 'A', 1])
  graphic = page.graphic
  check('Page graphic class', graphic.class, RPG::Event::Page::Graphic)
  check('Page graphic', [graphic.tile_id, graphic.character_name, graphic.direction, graphic.pattern],
        [0, '', 2, 0])
  check('Fresh parameters per command',
        RPG::EventCommand.new.parameters.equal?(RPG::EventCommand.new.parameters), false)
  route = page.move_route
  check('MoveRoute', [route.repeat, route.skippable, route.wait, route.list.map(&:class), route.list[0].code],
        [true, false, false, [RPG::MoveCommand], 0])

  # Database items.
  feature = RPG::BaseItem::Feature.new
  check('Feature defaults', [feature.code, feature.data_id, feature.value], [0, 0, 0])
  actor = RPG::Actor.new
  check('Actor superclass', RPG::Actor.superclass, RPG::BaseItem)
  check('Actor', [actor.id, actor.name, actor.icon_index, actor.description, actor.features, actor.note,
                  actor.class_id, actor.initial_level, actor.max_level, actor.equips],
        [0, '', 0, '', [], '', 1, 1, 99, [0, 0, 0, 0, 0]])

  klass = RPG::Class.new
  check('Class features', klass.features.map { |f| [f.code, f.data_id, f.value] },
        [[23, 0, 1], [22, 0, 0.95], [22, 1, 0.05], [22, 2, 0.04], [41, 1, 0], [51, 1, 0], [52, 1, 0]])
  check('Class params level 1', (0..7).map { |i| klass.params[i, 1] }, [450, 90, 16, 16, 16, 16, 32, 32])
  check('Class params level 0', klass.params[0, 0], 0)
  check('Class exp', [1, 2, 10, 99].map { |lv| klass.exp_for_level(lv) }, [0, 50, 5296, 2547133])

  skill = RPG::Skill.new
  check('Skill ancestry', [RPG::Skill.superclass, RPG::UsableItem.superclass], [RPG::UsableItem, RPG::BaseItem])
  check('Skill', [skill.scope, skill.stype_id, skill.occasion, skill.success_rate, skill.repeats,
                  skill.required_wtype_id1], [1, 1, 0, 100, 1, 0])
  check('Skill targets', [skill.for_opponent?, skill.for_one?, skill.need_selection?, skill.for_all?],
        [true, true, true, false])
  check('Item scope', [RPG::Item.new.scope, RPG::Item.new.for_friend?, RPG::Item.new.key_item?], [7, true, false])
  scopes = (0..11).map do |scope|
    skill.scope = scope
    [skill.for_random? ? skill.number_of_targets : nil, skill.for_all?, skill.for_dead_friend?]
  end
  check('Scope tests', scopes,
        [[nil, false, false], [nil, false, false], [nil, true, false], [1, false, false], [2, false, false],
         [3, false, false], [4, false, false], [nil, false, false], [nil, true, false], [nil, false, true],
         [nil, true, true], [nil, false, false]])

  damage = RPG::UsableItem::Damage.new
  check('Damage defaults', [damage.type, damage.formula, damage.variance, damage.critical, damage.none?],
        [0, '0', 20, false, true])
  Battler = Struct.new(:atk, :def)
  damage.type = 1
  damage.formula = 'a.atk * 4 - b.def * 2 + v[1]'
  check('Damage eval', damage.eval(Battler.new(10, 3), Battler.new(0, 5), [0, 7]), 37)
  check('Damage floor', damage.eval(Battler.new(1, 3), Battler.new(0, 5), [0, 0]), 0)
  damage.type = 3
  check('Recovery sign', damage.eval(Battler.new(10, 3), Battler.new(0, 5), [0, 7]), -37)
  damage.formula = 'a.missing_method'
  check('Failing formula', damage.eval(Battler.new(1, 1), Battler.new(1, 1), []), 0)

  weapon = RPG::Weapon.new
  check('Weapon', [weapon.etype_id, weapon.wtype_id, weapon.features.map { |f| [f.code, f.data_id, f.value] }],
        [0, 0, [[31, 1, 0], [22, 0, 0]]])
  weapon.params = [1, 2, 3, 4, 5, 6, 7, 8]
  check('Weapon performance', weapon.performance, 3 + 5 + 36)
  armor = RPG::Armor.new
  armor.params = [1, 2, 3, 4, 5, 6, 7, 8]
  check('Armor', [armor.etype_id, armor.performance], [1, 4 + 6 + 36])
  enemy = RPG::Enemy.new
  check('Enemy drops', [enemy.drop_items.size, enemy.drop_items.uniq(&:object_id).size], [3, 3])

  # System.
  system = RPG::System.new
  check_ivars(system, %w[game_title version_id japanese party_members currency_unit elements skill_types
                         weapon_types armor_types switches variables boat ship airship title1_name title2_name
                         opt_draw_title opt_use_midi opt_transparent opt_followers opt_slip_death
                         opt_floor_death opt_display_tp opt_extra_exp window_tone title_bgm battle_bgm
                         battle_end_me gameover_me sounds test_battlers test_troop_id start_map_id start_x
                         start_y terms battleback1_name battleback2_name battler_name battler_hue edit_map_id])
  check('System', [system.japanese, system.party_members, system.switches, system.opt_followers,
                   system.start_map_id, system.test_troop_id], [true, [1], [nil, ''], true, 1, 1])
  check('System tone', system.window_tone.class, Tone)
  check('System sounds', [system.sounds.size, system.sounds.map(&:class).uniq, system.sounds.uniq(&:object_id).size],
        [24, [RPG::SE], 24])
  check('System MEs', [system.battle_end_me.class, system.gameover_me.class], [RPG::ME, RPG::ME])
  vehicle = system.airship
  check('Vehicle', [vehicle.class, vehicle.character_name, vehicle.bgm.class, vehicle.start_map_id],
        [RPG::System::Vehicle, '', RPG::BGM, 0])
  terms = system.terms
  check('Terms', [terms.class, terms.basic.size, terms.params.size, terms.etypes.size, terms.commands.size],
        [RPG::System::Terms, 8, 8, 5, 23])
  terms.commands[0] << 'Fight'
  check('Terms strings are distinct', terms.commands[1], '')
  battler = RPG::System::TestBattler.new
  check('TestBattler', [battler.actor_id, battler.level, battler.equips], [1, 1, [0, 0, 0, 0, 0]])

  # Troops, tilesets, common events, animations.
  troop = RPG::Troop.new
  check('Troop', [troop.members, troop.pages.map(&:class), troop.pages[0].span, troop.pages[0].list.size],
        [[], [RPG::Troop::Page], 0, 1])
  troop_condition = troop.pages[0].condition
  check('Troop page condition', [troop_condition.class, troop_condition.turn_valid, troop_condition.enemy_hp,
                                 troop_condition.actor_hp, troop_condition.switch_id],
        [RPG::Troop::Page::Condition, false, 50, 50, 1])
  check('Troop member', [RPG::Troop::Member.new.enemy_id, RPG::Troop::Member.new.hidden], [1, false])

  tileset = RPG::Tileset.new
  check('Tileset', [tileset.mode, tileset.tileset_names.size, tileset.flags.xsize], [1, 9, 8192])
  check('Tileset flags', [0, 1, 2047, 2048, 2815, 2816, 4351, 4352, 8191].map { |i| tileset.flags[i] },
        [0x10, 0, 0, 0xF, 0xF, 0, 0, 0xF, 0xF])

  common = RPG::CommonEvent.new
  check('CommonEvent', [common.trigger, common.switch_id, common.list.map(&:code), common.autorun?],
        [0, 1, [0], false])
  common.trigger = 2
  check('CommonEvent parallel', [common.autorun?, common.parallel?], [false, true])

  animation = RPG::Animation.new
  check('Animation', [animation.position, animation.frame_max, animation.frames.map(&:class),
                      animation.to_screen?], [1, 1, [RPG::Animation::Frame], false])
  timing = RPG::Animation::Timing.new
  check('Animation timing', [timing.se.volume, timing.flash_color.class, timing.flash_duration], [80, Color, 5])

  # Marshal round trip of a populated map.
  map.display_name = 'Harbour'
  map.data[2, 3, 0] = 2048
  map.data[16, 12, 3] = 256
  map.bgm = RPG::BGM.new('Town', 90, 110)
  map.encounter_list << RPG::Map::Encounter.new
  event.id = 1
  event.name = 'Sailor'
  page.list = [RPG::EventCommand.new(101, 0, ['Actor1', 0, 0, 2]),
               RPG::EventCommand.new(401, 0, ['Ahoy!']),
               RPG::EventCommand.new(223, 0, [Tone.new(-34, 0, 68, 0), 30, true]),
               RPG::EventCommand.new(250, 0, [RPG::SE.new('Bell', 80, 100)]),
               RPG::EventCommand.new]
  page.move_route.list.unshift(RPG::MoveCommand.new(44, [RPG::SE.new('Jump', 70)]))
  map.events[event.id] = event
  map.events[2] = RPG::Event.new(5, 6).tap { |e| e.id = 2 }
  bytes = Marshal.dump(map)
  loaded = Marshal.load(bytes)
  check('Round trip bytes', Marshal.dump(loaded), bytes)
  check('Round trip map', [loaded.class, loaded.display_name, loaded.width, loaded.data[2, 3, 0],
                           loaded.data[16, 12, 3], loaded.data[0, 0, 0]], [RPG::Map, 'Harbour', 17, 2048, 256, 0])
  check('Round trip events', loaded.events.keys.sort, [1, 2])
  loaded_page = loaded.events[1].pages[0]
  check('Round trip page', [loaded_page.class, loaded_page.condition.class, loaded_page.graphic.class],
        [RPG::Event::Page, RPG::Event::Page::Condition, RPG::Event::Page::Graphic])
  check('Round trip commands', loaded_page.list.map(&:code), [101, 401, 223, 250, 0])
  check('Round trip parameters', [loaded_page.list[1].parameters, loaded_page.list[3].parameters[0].name,
                                  loaded_page.list[2].parameters[0].class], [['Ahoy!'], 'Bell', Tone])
  check('Round trip move route', loaded_page.move_route.list.map { |c| [c.code, c.parameters.map(&:class)] },
        [[44, [RPG::SE]], [0, []]])
  check('Round trip audio', [loaded.bgm.class, loaded.bgm.name, loaded.bgm.volume, loaded.bgs.volume],
        [RPG::BGM, 'Town', 90, 80])

  # Records as the editor writes them: class and ivar names only, no initialize, plain strings allowed.
  town = Marshal.load("\x04\bo:\rRPG::BGM\b:\n@nameI\"\tTown\x06:\x06ET:\f@volumeiU:\v@pitchii".b)
  check('Editor BGM record', [town.class, town.name, town.volume, town.pitch, town.pos],
        [RPG::BGM, 'Town', 80, 100, nil])
  silent = Marshal.load("\x04\bo:\fRPG::SE\b:\n@name\"\x00:\f@volumeiU:\v@pitchii".b)
  check('Editor SE record', [silent.class, silent.name, silent.volume], [RPG::SE, '', 80])

  # Audio bookkeeping.
  audio_calls
  check('Nothing playing', [RPG::BGM.last.name, RPG::BGM.last.pos], ['', 1234])
  town.play
  check('BGM play', audio_calls, [[:bgm_play, 'Audio/BGM/Town', 80, 100, 0]])
  last = RPG::BGM.last
  check('BGM last', [last.name, last.volume, last.pos, last.equal?(town), last.equal?(RPG::BGM.last)],
        ['Town', 80, 1234, false, true])
  town.name = 'Field'
  check('BGM last is a copy', RPG::BGM.last.name, 'Town')
  audio_calls
  last.replay
  check('BGM replay', audio_calls, [[:bgm_play, 'Audio/BGM/Town', 80, 100, 1234]])
  RPG::BGM.fade(500)
  check('BGM fade', [audio_calls, RPG::BGM.last.name], [[[:bgm_fade, 500]], ''])
  RPG::BGM.new('Town').play(40)
  RPG::BGM.new.play
  check('BGM empty play stops', [audio_calls, RPG::BGM.last.name],
        [[[:bgm_play, 'Audio/BGM/Town', 100, 100, 40], [:bgm_stop]], ''])
  RPG::BGM.new('Town').play
  RPG::BGM.stop
  check('BGM stop', [audio_calls.last, RPG::BGM.last.name], [[:bgm_stop], ''])

  RPG::BGS.new('Rain', 60, 90).play
  check('BGS play', audio_calls, [[:bgs_play, 'Audio/BGS/Rain', 60, 90, 0]])
  check('BGS last is its own', [RPG::BGS.last.name, RPG::BGS.last.pos, RPG::BGM.last.name], ['Rain', 567, ''])
  RPG::BGS.fade(200)
  check('BGS fade', [audio_calls, RPG::BGS.last.name], [[[:bgs_fade, 200]], ''])

  RPG::ME.new('Victory', 90).play
  RPG::ME.new.play
  RPG::ME.fade(300)
  RPG::ME.stop
  check('ME', audio_calls, [[:me_play, 'Audio/ME/Victory', 90, 100], [:me_stop], [:me_fade, 300], [:me_stop]])

  RPG::SE.new('Cursor', 80).play
  silent.play
  RPG::SE.stop
  check('SE', audio_calls, [[:se_play, 'Audio/SE/Cursor', 80, 100], [:se_stop]])
rescue StandardError, ScriptError => error
  # An uncaught error ends the game normally, which would read as success.
  $failures << "#{error.class}: #{error.message} at #{error.backtrace&.first}"
end

finish
