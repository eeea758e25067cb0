cmake_minimum_required(VERSION 3.25)
# Lays out the program folder from the sample, copying only what is missing.
# The program finds its files whatever their letter case, so an existing
# "database" counts as the database too.
file(GLOB present RELATIVE "${TARGET}" "${TARGET}/*")
set(present_lower "")
foreach(entry IN LISTS present)
  string(TOLOWER "${entry}" lower)
  list(APPEND present_lower "${lower}")
endforeach()
foreach(item DataBase chichotek.cfg pozadi.bmp)
  string(TOLOWER "${item}" lower)
  if(NOT lower IN_LIST present_lower)
    file(COPY "${SAMPLE}/${item}" DESTINATION "${TARGET}")
  endif()
endforeach()
