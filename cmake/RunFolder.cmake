# build/game/: the two programs, the settings file and the generated data tree.
file(MAKE_DIRECTORY ${VQ_RUN_DIR})
