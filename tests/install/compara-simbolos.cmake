# Fails when the library exports anything but its public interface, or
# stops exporting part of it: the list is simbolos-publicos.txt, one
# demangled name a line. A deliberate change to the interface updates it:
#   nm -D --defined-only -C --format=just-symbols libvardel.so.1 | LC_ALL=C sort -u
execute_process(COMMAND ${NM} -D --defined-only -C --format=just-symbols ${BIBLIOTECA}
                OUTPUT_VARIABLE salida COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" exportados "${salida}")
list(FILTER exportados EXCLUDE REGEX "^$")
list(REMOVE_DUPLICATES exportados)
file(STRINGS ${ESPERADOS} esperados)
set(sobran ${exportados})
list(REMOVE_ITEM sobran ${esperados})
set(faltan ${esperados})
list(REMOVE_ITEM faltan ${exportados})
if(sobran OR faltan)
  list(JOIN sobran "\n  " sobran)
  list(JOIN faltan "\n  " faltan)
  message(FATAL_ERROR "exported beyond the public interface:\n  ${sobran}\n"
                      "missing from the exports:\n  ${faltan}")
endif()
list(LENGTH exportados n)
message(STATUS "${n} symbols, all public")
