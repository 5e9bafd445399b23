# A Game.ini written on a Japanese system is Shift-JIS: its title reaches the message boxes' caption as UTF-8.
# file: Game.ini <- engine_data/Game-shiftjis.ini
# stderr: 勇者の伝説: shown under the game's title
msgbox('shown under the game\'s title')
finish
