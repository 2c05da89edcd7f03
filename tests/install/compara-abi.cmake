# Fails when the layout or the signatures of the public types change: the
# library is compared with the ABI recorded in abi/libvardel.abi.tar.xz,
# leaving out what abi/privadas.supr names (the classes' implementations).
# Within libvardel.so.1 the layouts stay as they are; a deliberate
# compatible change (an added function) refreshes the record:
#   abidw --no-show-locs --no-corpus-path --no-comp-dir-path \
#     --out-file libvardel.abi build/native/bin/libvardel.so.1
#   cmake -E tar cJf tests/install/abi/libvardel.abi.tar.xz libvardel.abi
file(REMOVE_RECURSE ${TRABAJO})
file(MAKE_DIRECTORY ${TRABAJO})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${REGISTRADA} WORKING_DIRECTORY ${TRABAJO}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND ${ABIDIFF} --suppressions ${SUPRESIONES} ${TRABAJO}/libvardel.abi ${BIBLIOTECA}
  RESULT_VARIABLE resultado
  OUTPUT_VARIABLE informe
  ERROR_VARIABLE informe)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "the public ABI differs from the record (abidiff exit ${resultado}):\n"
                      "${informe}")
endif()
message(STATUS "public ABI as recorded")
