# Tests of the PDF export. The CUPS tests skip unless scripts/cups-test-start.sh has run.
vts_test(pdf_export_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pdf_export_test.cpp
  LIBS vts_pdf_export)
vts_test(pdf_printer_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pdf_printer_test.cpp
  LIBS vts_pdf_export)
vts_test(pdf_cups_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pdf_cups_test.cpp
  LIBS vts_pdf_export vts_print)
vts_test(pdf_scripts_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pdf_scripts_test.cpp
  LIBS vts_shell)
vts_test(pdf_layout_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/pdf_layout_test.cpp
  LIBS vts_print)
