# Runs the hues program as a script would and checks its exit statuses and streams.
# Usage: cmake -DHUES=... -DEMULATOR=... -DMAKE_SAMPLE=... -DWORK_DIR=... -DSOURCE_DIR=...
#        -DBINARY_DIR=... -P check_program.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND ${EMULATOR} "${MAKE_SAMPLE}" "${WORK_DIR}/hues.mul"
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not write the sample hue file")
endif()

string(ASCII 27 escape)

# run(<expected status> <stdout regex> <stderr regex> args...)
function(run expected out_pattern err_pattern)
  execute_process(COMMAND ${EMULATOR} "${HUES}" ${ARGN}
    WORKING_DIRECTORY "${WORK_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL "${expected}" OR NOT out MATCHES "${out_pattern}"
     OR NOT err MATCHES "${err_pattern}" OR out MATCHES "${escape}")
    message(SEND_ERROR "hues ${ARGN}: status ${status} (expected ${expected})\n"
                       "stdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

run(0 "^hues [0-9]+\\.[0-9]+\\.[0-9]+\n$" "^$" --version)
run(0 "show" "^$" --help)
# Names arrive as UTF-8; output that is not a terminal never gets colour escapes.
run(0 "^Hue 3\nHues Name : Crème Brûlée Gold\n" "^$" -f hues.mul show 3)
run(0 "\n 2999  [^\n]+\n$" "^$" -f hues.mul list --format text)
run(1 "^$" "^$" -f hues.mul find "no such name")
run(2 "^$" "^hues: [^\n]*absent\\.mul: [^\n]+\n$" -f absent.mul list)
# A file name outside any ANSI code page, as an argument and in a message.
file(COPY_FILE "${WORK_DIR}/hues.mul" "${WORK_DIR}/hüe 中文.mul")
run(0 "^Hue 8\nHues Name : " "^$" -f "hüe 中文.mul" show 8)
run(2 "^$" "^hues: [^\n]*nö 中文\\.mul: [^\n]+\n$" -f "nö 中文.mul" show 8)
run(2 "^$" "^hues: [^\n]+\n$" -f hues.mul show 3000)
run(2 "^$" "^hues: [^\n]+\n$" -f hues.mul nearest blue)
run(2 "^$" "^hues: [^\n]+\n$" bogus)

# A page but its script, which the build bundles alike for both systems; and no page holds a
# path of the machine that built it.
function(page_without_script variable what)
  set(out "${${variable}}")
  foreach(folder "${SOURCE_DIR}" "${BINARY_DIR}" "page/web/")
    string(FIND "${out}" "${folder}" found)
    if(NOT folder STREQUAL "" AND NOT found EQUAL -1)
      message(SEND_ERROR "hues ${what} holds the build's path ${folder}")
    endif()
  endforeach()
  string(FIND "${out}" "<script>\n" script)
  string(FIND "${out}" "</script>\n</body>" end)
  string(SUBSTRING "${out}" 0 ${script} before)
  string(SUBSTRING "${out}" ${end} -1 after)
  set(${variable} "${before}${after}" PARENT_SCOPE)
endfunction()

# Hues to text and back, on every system to the same bytes; a file name outside any code page
# edited in place, with its backup beside it; and the exit statuses of diff.
run(0 "^\\[\n  {\"id\":0,\"block_header\":3735928559," "^$" -f hues.mul list --format json)
execute_process(COMMAND ${EMULATOR} "${HUES}" -f hues.mul list --format json
  WORKING_DIRECTORY "${WORK_DIR}" OUTPUT_FILE "${WORK_DIR}/hues.json")
run(0 "^$" "^$" build hues.json -o rebuilt.mul)
file(SHA256 "${WORK_DIR}/rebuilt.mul" rebuilt)
if(NOT rebuilt STREQUAL "4da7cb9563d7205da630ec4943e4ad9069855de1eb087c0c2a8530dade291606")
  message(SEND_ERROR "hues build gave other bytes than the sample file: ${rebuilt}")
endif()
run(0 "^$" "^hues: hue 5 changed; previous file kept as [^\n]*hüe 中文\\.mul\\.bak\n$"
    -f "hüe 中文.mul" set 5 --name "Crème" --table -1 31)
run(1 "^hue 5 \"Crème\"\n  name: \"[^\n]+\" → \"Crème\"\n  table start: [0-9A-F]+ → FFFF\n" "^$"
    diff hues.mul "hüe 中文.mul")
run(0 "^\\[\\]\n$" "^$" diff hues.mul rebuilt.mul --format json)

# Two changes of one file merged by hue and field, to the same bytes on every system: a conflict
# names its hue and field with the three values, keeps ours and says so, exit status 1; a side
# that cannot be read is an error, and nothing is written.
foreach(side ours theirs)
  file(COPY_FILE "${WORK_DIR}/hues.mul" "${WORK_DIR}/${side}.mul")
endforeach()
run(0 "^$" "^hues: hue 60 changed in [^\n]+\n$" -f ours.mul set 60 --name "Ours sixty" --no-backup)
run(0 "^$" "^hues: hue 7 changed in [^\n]+\n$" -f ours.mul set 7 --table 3 4 --no-backup)
run(0 "^$" "^hues: hue 60 changed in [^\n]+\n$" -f theirs.mul set 60 --name "Theirs sixty" --no-backup)
run(0 "^$" "hues: hue 61 changed in [^\n]+\n$"
    -f theirs.mul set 61 --gradient "#FF6600,#660099" --no-backup)
run(1 "^$" "^ours\\.mul: hue 60 name: ours \"Ours sixty\", theirs \"Theirs sixty\", base \"Violet 2\"\nours\\.mul: 1 conflict left, [^\n]+\n$"
    merge hues.mul ours.mul theirs.mul -o merged.mul)
file(SHA256 "${WORK_DIR}/merged.mul" merged)
if(NOT merged STREQUAL "d63565e10f2f5f1302913668a3e929042a871635200aac2f7ee6b61fe2346de8")
  message(SEND_ERROR "hues merge gave other bytes: ${merged}")
endif()
run(2 "^$" "^hues: [^\n]*absent\\.mul: [^\n]+\n$" merge hues.mul absent.mul theirs.mul -o never.mul)
if(EXISTS "${WORK_DIR}/never.mul")
  message(SEND_ERROR "hues merge wrote a file after an error")
endif()


# A diff as text (no colours into a pipe, nor when told so) and as a page, to the same bytes on
# every system: the page but its script, which the build bundles alike for both.
foreach(format text-never text html)
  set(options --format text --color=never)
  if(format STREQUAL "text")
    set(options --format text)
  elseif(format STREQUAL "html")
    set(options --format html)
  endif()
  execute_process(COMMAND ${EMULATOR} "${HUES}" diff hues.mul ours.mul ${options}
    WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE out)
  if(format STREQUAL "html")
    page_without_script(out "diff --format html")
  endif()
  string(SHA256 shown "${out}")
  set(expected_text "52db5325f7b992e59661f6c9a50f397debf762053408c234bcfa21138efdbd56")
  set(expected_html "3fac9080d072f0905350bc04706156b0b945acc589cb598741acf278ca32a120")
  set(expected "${expected_text}")
  if(format STREQUAL "html")
    set(expected "${expected_html}")
  endif()
  if(NOT status EQUAL 1 OR NOT shown STREQUAL expected)
    message(SEND_ERROR "hues diff ${options}: status ${status}, other bytes: ${shown}")
  endif()
endforeach()

# Names holding every byte value (those Windows-1252 leaves undefined, text after a zero byte)
# listed and paged to the same bytes on every system, line ends aside: decided by our own code,
# never by the system's code page.
execute_process(COMMAND ${EMULATOR} "${MAKE_SAMPLE}" "${WORK_DIR}/every-byte.mul" 400 every-byte
  RESULT_VARIABLE status OUTPUT_QUIET)
# Each listing: its words (by commas), the exit status, the bytes' hash (the pages' but their
# script).
set(listings
  "list,--format,json" 0 e19340fbb2841332f271155b8edcd51ac530b4b1f0fa49c2de681f425e5740e2
  "export,csv" 0 be9e737f4afb3e9659bab39b7a6233648c759bda0dcfdf28a83c6ae77eeff469
  "export,html" 0 412376af678e6d8ba5330d6364aebec9750a536edf710599872aecf69b4c32b9
  "diff,hues.mul,every-byte.mul,--format,html" 1 b71b97635cd5cba4b4cd6171c57908b4d1c3d32b8b49c431c36815aa7917477b
  "similar,--within,0.1" 1 885504f12a35135f1184dec5f10b278ec4abbff06fc595179b7c95e350fcb240
  "similar,--within,0.05,--vision,deuteranomaly:60,--format,json" 1 c4d37fbf16720d24a6ec20685f4f3ae648e427da7b7fd15630ed0b3bf406873c
  "nearest,#FF8800,-n,20,--vision,tritanomaly:35,--format,json" 0 89c4c7841e2fef381b324f26f2d405d6f8f4dd831bb53ed921cef1e440c66565
  "check,--no-config" 1 18aa2b3058977ce2b8d49559c5b1519cbd0ae0ff465898fd885a6a2f555acb1f
  "check,--no-config,--format,github,--fail-on,error" 1 e39cce31b293ef86b1afd5496d171cd122ebaac29b9625169888ae769d46f133
  "check,--no-config,--format,json,--select,name-undefined-byte,--select,name-after-nul,--select,name-spreadsheet,--select,vision-confusable" 1 079030c7f575a98dcaa3b7f179e077254caf41c61dd309e705bdd25ee89388cf)
list(LENGTH listings count)
math(EXPR last "${count} - 1")
foreach(at RANGE 0 ${last} 3)
  math(EXPR at_status "${at} + 1")
  math(EXPR at_hash "${at} + 2")
  list(GET listings ${at} listing)
  list(GET listings ${at_status} expected_status)
  list(GET listings ${at_hash} expected)
  string(REPLACE "," ";" listing "${listing}")
  execute_process(COMMAND ${EMULATOR} "${HUES}" -f every-byte.mul ${listing}
    WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE out)
  if(listing MATCHES "html")
    page_without_script(out "${listing}")
  endif()
  string(REPLACE "\r\n" "\n" out "${out}")
  string(SHA256 listed "${out}")
  if(NOT status EQUAL expected_status OR NOT listed STREQUAL expected)
    message(SEND_ERROR "hues ${listing} of names of every byte: status ${status}, other bytes: ${listed}")
  endif()
endforeach()

# Hues from pictures, one of each format the decoder reads and a photo-like JPEG: the same stored
# values on every system.
file(COPY_FILE "${WORK_DIR}/every-byte.mul" "${WORK_DIR}/pictured.mul")
set(id 10)
foreach(picture stripes.png stripes.gif stripes.bmp stripes.jpg plasma.jpg)
  file(COPY_FILE "${SOURCE_DIR}/tests/cli/fixtures/${picture}" "${WORK_DIR}/${picture}")
  run(0 "^$" "^hues: hue ${id} changed" -f pictured.mul set ${id} --from-picture ${picture} --no-backup)
  math(EXPR id "${id} + 1")
endforeach()
run(0 "^$" "^hues: hue 20 changed" -f pictured.mul set 20 --from-picture plasma.jpg --region 30,20,100,60
    --no-backup)
file(SHA256 "${WORK_DIR}/pictured.mul" pictured)
if(NOT pictured STREQUAL "e29eb244e9237abe87ccfbf1b4e6f537199c6cb5d8d5995a2d27107d993fd413")
  message(SEND_ERROR "hues set --from-picture: other stored values: ${pictured}")
endif()

# Hues from one colour, a grey among them, with shifts and ranges at their ends: the same stored
# values on every system, whose trigonometry may differ in its last bits.
file(COPY_FILE "${WORK_DIR}/every-byte.mul" "${WORK_DIR}/ramped.mul")
set(id 30)
foreach(ramp "#3366CC" "#FF8800|--shift|45" "#808080" "#10E0A0|--shift|90|--range|0.3,0.6"
    "#FFFF00|--shift|0" "#200010|--range|0,1" "#C02040|--shift|12.5|--range|0.25,0.75")
  string(REPLACE "|" ";" ramp "${ramp}")
  run(0 "^$" "hues: hue ${id} changed" -f ramped.mul set ${id} --ramp ${ramp} --no-backup)
  math(EXPR id "${id} + 1")
endforeach()
file(SHA256 "${WORK_DIR}/ramped.mul" ramped)
if(NOT ramped STREQUAL "ebcaa8747b14077c538d67aced5f36a2de116b2f67bcd55805f21e2de48f7219")
  message(SEND_ERROR "hues set --ramp: other stored values: ${ramped}")
endif()

# Palettes of names of every byte: the same bytes on every system; ASE, ACO and KPL applied back
# change nothing; a palette's stops make what --gradient makes; a hostile palette is refused in one
# line and nothing is written.
file(COPY_FILE "${WORK_DIR}/every-byte.mul" "${WORK_DIR}/paletted.mul")
foreach(kind IN ITEMS ase aco kpl pal hex)
  run(0 "^$" "^$" -f every-byte.mul export ${kind} 0-399 -o "every-byte.${kind}")
  file(SHA256 "${WORK_DIR}/every-byte.${kind}" exported)
  string(APPEND exports "${kind} ${exported}\n")
  if(kind MATCHES "ase|aco|kpl")
    run(0 "^$" "already holds these hues as given; nothing changed\n$" -f paletted.mul apply "every-byte.${kind}")
  endif()
endforeach()
string(SHA256 exports "${exports}")
if(NOT exports STREQUAL "436d3b9fba7ffb24bce2cdfc4bf16cbda1e84b02aba1747f8ad1d14173bb9429")
  message(SEND_ERROR "hues export of palettes: other bytes: ${exports}")
endif()
file(WRITE "${WORK_DIR}/stops.hex" "102030\nf0e0d0\n40c080\n")
run(0 "^$" "hues: hue 1 changed" -f paletted.mul set 1 --from stops.hex --no-backup)
run(0 "^$" "hues: hue 2 changed" -f paletted.mul set 2 --gradient "#102030,#f0e0d0,#40c080" --no-backup)
run(0 "^$" "^hues: hue 3 changed" -f paletted.mul set 3 --from "every-byte.kpl#9" --no-backup)
execute_process(COMMAND ${EMULATOR} "${HUES}" -f paletted.mul show 1 2 3 --format json
  WORKING_DIRECTORY "${WORK_DIR}" OUTPUT_VARIABLE shown)
string(JSON first GET "${shown}" 0 colors)
string(JSON second GET "${shown}" 1 colors)
string(JSON third GET "${shown}" 2 colors)
execute_process(COMMAND ${EMULATOR} "${HUES}" -f every-byte.mul show 9 --format json
  WORKING_DIRECTORY "${WORK_DIR}" OUTPUT_VARIABLE shown)
string(JSON ninth GET "${shown}" 0 colors)
if(NOT first STREQUAL second OR NOT third STREQUAL ninth)
  message(SEND_ERROR "hues set --from: other colours than --gradient or the group's")
endif()
file(SHA256 "${WORK_DIR}/paletted.mul" before)
file(WRITE "${WORK_DIR}/lying.pal" "JASC-PAL\r\n0100\r\n4000000000\r\n1 2 3\r\n")
run(2 "^$" "^hues: lying\\.pal: JASC-PAL: says it holds 4000000000 colours, and gives 1\n$"
    -f paletted.mul set 4 --from lying.pal)
file(SHA256 "${WORK_DIR}/paletted.mul" after)
if(NOT before STREQUAL after)
  message(SEND_ERROR "hues set --from a hostile palette wrote the hue file")
endif()
