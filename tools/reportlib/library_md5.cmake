# cmake -DLIBRARY=dr.dll -DOUTPUT=file.cpp -P library_md5.cmake
file(MD5 ${LIBRARY} digest)
file(WRITE ${OUTPUT}.tmp "// Generated from the built report library; do not edit.\n#include \"shell/init_data_report.h\"\n\nconst std::wstring ReportLibraryMd5 = L\"${digest}\";\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
