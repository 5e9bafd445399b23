# A Game.ini written on a Chinese system is GBK: its title reaches the message boxes' caption as UTF-8.
# file: Game.ini <- engine_data/Game-gbk.ini
# stderr: 仙剑奇侠传: shown under the game's title
msgbox('shown under the game\'s title')
finish
