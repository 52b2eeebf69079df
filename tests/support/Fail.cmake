# A test that cannot run here: it fails with the reason.
#   cmake -DMESSAGE=<why> -P Fail.cmake
message(FATAL_ERROR "${MESSAGE}")
