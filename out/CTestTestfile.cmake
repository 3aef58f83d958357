# CMake generated Testfile for 
# Source directory: /work/wt-issue27
# Build directory: /work/wt-issue27/out
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("tests")
