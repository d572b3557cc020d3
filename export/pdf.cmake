# PDF export through the PDF printer queue, and the printer check at start-up.
add_library(vts_pdf_export STATIC
  ${CMAKE_CURRENT_LIST_DIR}/pdf_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printer_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printer_default.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printer_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printer_program.cpp)
target_include_directories(vts_pdf_export PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vts_pdf_export PUBLIC vts_export vts_print vts_shell)
vts_warnings(vts_pdf_export)
