# The install folder as a user gets it: beside the programs the working
# folder with the settings file as shipped, the emergency folder and the
# record folder. The settings file ships as one byte: the recorder's first
# start makes the defaults. An existing file is the user's and stays. The
# shipped file's path is fixed at configure time, so an install works from
# any build folder. suite_install_folders(DIR) makes them in DIR of the
# install folder ("." for the main one).
set(SUITE_SHIPPED_SETTINGS ${CMAKE_SOURCE_DIR}/install/shipped_settings.ini)
function(suite_install_folders dir)
  install(CODE "set(shipped \"${SUITE_SHIPPED_SETTINGS}\")\nset(sub \"${dir}\")" COMPONENT folders)
  install(CODE [[
    set(dest "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${sub}")
    file(MAKE_DIRECTORY "${dest}/マニュアル 兼 作業フォルダー" "${dest}/非常用フォルダー" "${dest}/通話記録")
    set(ini "${dest}/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini")
    if(NOT EXISTS "${ini}")
      file(COPY_FILE "${shipped}" "${ini}")
    endif()
  ]] COMPONENT folders)
endfunction()
suite_install_folders(.)
