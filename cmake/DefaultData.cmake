# Default data folder, embedded into the base library under ":/defaults/".
# Plain files of data/ are embedded as they are; the language database is built
# from the tables in data/language/*.tsv by the langdb tool.

file(GLOB_RECURSE SLX_DATA_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/data
  ${CMAKE_CURRENT_SOURCE_DIR}/data/*)
list(FILTER SLX_DATA_FILES EXCLUDE REGEX "^language/")
list(FILTER SLX_DATA_FILES EXCLUDE REGEX "(^|/)\\.")

add_executable(langdb tools/langdb/langdb.cpp)
slx_warnings(langdb)
target_link_libraries(langdb PRIVATE Qt6::Core Qt6::Sql)

file(GLOB SLX_LANGUAGE_TABLES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/data/language/*.tsv)
set(SLX_GENERATED_DATA ${CMAKE_CURRENT_BINARY_DIR}/generated-data)
set(SLX_LANGUAGE_DB ${SLX_GENERATED_DATA}/Language.db)
add_custom_command(
  OUTPUT ${SLX_LANGUAGE_DB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SLX_GENERATED_DATA}
  COMMAND $<TARGET_FILE:langdb> ${SLX_LANGUAGE_DB} ${SLX_LANGUAGE_TABLES}
  DEPENDS langdb ${SLX_LANGUAGE_TABLES}
  COMMENT "Building the language database"
  VERBATIM)
add_custom_target(language_db DEPENDS ${SLX_LANGUAGE_DB})
set_source_files_properties(${SLX_LANGUAGE_DB} PROPERTIES GENERATED TRUE)

set(SLX_DATA_ABS)
foreach(f ${SLX_DATA_FILES})
  list(APPEND SLX_DATA_ABS ${CMAKE_CURRENT_SOURCE_DIR}/data/${f})
endforeach()
qt_add_resources(slx_base "default_data" PREFIX "/defaults" BASE ${CMAKE_CURRENT_SOURCE_DIR}/data
  FILES ${SLX_DATA_ABS})
qt_add_resources(slx_base "default_language" PREFIX "/defaults" BASE ${SLX_GENERATED_DATA}
  FILES ${SLX_LANGUAGE_DB})
add_dependencies(slx_base language_db)

# The program's own messages (the texts of its TextoPropio calls), listed from the
# sources for the text export, which marks them as used texts.
add_executable(ownmessages tools/ownmessages/ownmessages.cpp tools/ownmessages/LlamadasTextoPropio.h)
slx_warnings(ownmessages)
target_link_libraries(ownmessages PRIVATE Qt6::Core)
file(GLOB_RECURSE SLX_ALL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/*.h)
set(SLX_OWN_MESSAGES ${SLX_GENERATED_DATA}/own-messages.txt)
add_custom_command(
  OUTPUT ${SLX_OWN_MESSAGES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SLX_GENERATED_DATA}
  COMMAND $<TARGET_FILE:ownmessages> ${SLX_OWN_MESSAGES} ${CMAKE_CURRENT_SOURCE_DIR}/src
  DEPENDS ownmessages ${SLX_ALL_SOURCES}
  COMMENT "Listing the program's own messages"
  VERBATIM)
add_custom_target(own_messages DEPENDS ${SLX_OWN_MESSAGES})
set_source_files_properties(${SLX_OWN_MESSAGES} PROPERTIES GENERATED TRUE)
qt_add_resources(slx_localization "own_messages" PREFIX "/localization" BASE ${SLX_GENERATED_DATA}
  FILES ${SLX_OWN_MESSAGES})
add_dependencies(slx_localization own_messages)
