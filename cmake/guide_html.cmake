# Makes the user's guide as one HTML page from its Markdown, with
# cmark-gfm and its table extension:
#   cmake -DCMARK=<cmark-gfm> -DIN=<guide.md> -DOUT=<guide.html> -P guide_html.cmake
execute_process(COMMAND ${CMARK} --extension table --to html ${IN} OUTPUT_VARIABLE body RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmark could not convert ${IN}")
endif()
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Lorvane user's guide</title>
<style>body{font-family:sans-serif;max-width:48em;margin:2em auto;padding:0 1em;line-height:1.4}
pre,code{background:#f4f4f4}pre{padding:.5em;overflow-x:auto}table{border-collapse:collapse}
td,th{border:1px solid #ccc;padding:.2em .5em}</style></head>
<body>
${body}</body></html>
")
