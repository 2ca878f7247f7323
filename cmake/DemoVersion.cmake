# The demo product's version, company and product name, read once from demo/manifest.xml, for
# the version resources of setup.exe and Uninstall.exe (app/ProductVersion.rc): they are the
# demo product's programs. make-setup keeps a stub's version resource as it is.
file(READ ${CMAKE_SOURCE_DIR}/demo/manifest.xml TS_DEMO_MANIFEST)
foreach(field "Version value" "Company name" "Product name")
  string(REPLACE " " ";" parts "${field}")
  list(GET parts 0 element)
  list(GET parts 1 attribute)
  if(NOT TS_DEMO_MANIFEST MATCHES "<${element} ${attribute}=\"([^\"]*)\"")
    message(FATAL_ERROR "demo/manifest.xml names no ${element}")
  endif()
  set(TS_DEMO_${element} "${CMAKE_MATCH_1}")
endforeach()
string(REPLACE "." ";" TS_VERSION_PARTS "${TS_DEMO_Version}")
list(LENGTH TS_VERSION_PARTS count)
while(count LESS 4)
  list(APPEND TS_VERSION_PARTS 0)
  math(EXPR count "${count} + 1")
endwhile()
string(REPLACE ";" "," TS_VERSION_NUMBERS "${TS_VERSION_PARTS}")
set(TS_VERSION_DIR ${CMAKE_BINARY_DIR}/version)
file(WRITE ${TS_VERSION_DIR}/ts_version.h.in
     "#define TS_VERSION_NUMBERS @TS_VERSION_NUMBERS@\n"
     "#define TS_VERSION_TEXT \"@TS_DEMO_Version@\"\n"
     "#define TS_COMPANY \"@TS_DEMO_Company@\"\n"
     "#define TS_PRODUCT \"@TS_DEMO_Product@\"\n")
configure_file(${TS_VERSION_DIR}/ts_version.h.in ${TS_VERSION_DIR}/ts_version.h @ONLY)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/demo/manifest.xml)
