# The installed history names every erased file: readable and writable by its owner only.
execute_process(COMMAND stat -c %a "${inner}/Contents/Resources/DataBase.db"
    OUTPUT_VARIABLE databaseMode OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT databaseMode STREQUAL "600")
    message(FATAL_ERROR "the installed history database has mode ${databaseMode}, not 600")
endif()
