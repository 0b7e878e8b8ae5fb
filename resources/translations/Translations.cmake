# Compiles the interface translations (.ts -> .qm) and embeds them under ":/translations".
# Included from the directory that defines the library, so the generated files belong
# to its target.
find_package(Qt5LinguistTools REQUIRED)

set(PELMORA_TS_FILES ${CMAKE_CURRENT_LIST_DIR}/pelmora_de.ts)
set(PELMORA_QM_DIR ${CMAKE_CURRENT_BINARY_DIR}/translations)
file(MAKE_DIRECTORY ${PELMORA_QM_DIR})
set_source_files_properties(${PELMORA_TS_FILES} PROPERTIES OUTPUT_LOCATION ${PELMORA_QM_DIR})
qt5_add_translation(PELMORA_QM_FILES ${PELMORA_TS_FILES})

set(_qrc_entries "")
foreach(qm ${PELMORA_QM_FILES})
  get_filename_component(_name ${qm} NAME)
  string(APPEND _qrc_entries "    <file alias=\"${_name}\">${qm}</file>\n")
endforeach()
set(PELMORA_TRANSLATIONS_QRC ${PELMORA_QM_DIR}/pelmora_translations.qrc)
file(CONFIGURE OUTPUT ${PELMORA_TRANSLATIONS_QRC} CONTENT
"<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/translations\">\n${_qrc_entries}  </qresource>\n</RCC>\n")
qt5_add_resources(PELMORA_TRANSLATION_SOURCES ${PELMORA_TRANSLATIONS_QRC})
