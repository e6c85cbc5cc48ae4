# Delay-loaded imports for the Windows programs. They run elevated from folders that users can
# write, and the loader searches the program's folder for every import that is not a known
# system DLL: such imports are delay-loaded instead, so they are loaded only after the program
# has restricted the search to the system folder (HardenDllSearch).
#
# GNU ld has no /DELAYLOAD switch; dlltool writes a delay-import library from a .def file,
# which is made here from the symbols of MinGW's ordinary import library. The helper that
# resolves the imports at their first call (__delayLoadHelper2) is in libmingwex.
set(SETUP_DELAY_LOADED_DLLS comctl32 version bcrypt)

# delay_import_library(<name>): defines the imported target delay::<name> for lib<name>.a.
function(delay_import_library name)
  set(out_dir "${CMAKE_BINARY_DIR}/delayload")
  set(def "${out_dir}/${name}.def")
  set(lib "${out_dir}/lib${name}_delay.a")
  find_file(import_lib_${name} lib${name}.a PATHS /usr/${MINGW_TRIPLET}/lib NO_DEFAULT_PATH REQUIRED)
  set(import_lib "${import_lib_${name}}")
  if(NOT EXISTS "${lib}" OR "${import_lib}" IS_NEWER_THAN "${lib}")
    file(MAKE_DIRECTORY "${out_dir}")
    execute_process(COMMAND ${CMAKE_NM} "${import_lib}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    # "__imp__Name@8" (i686, stdcall) or "__imp_Name" (x86_64): the export is "Name@8" or "Name".
    string(REGEX MATCHALL "I __imp__?[A-Za-z0-9_@?]+" entries "${symbols}")
    set(exports "")
    foreach(e ${entries})
      string(REGEX REPLACE "^I __imp_" "" e "${e}")
      if(CMAKE_SYSTEM_PROCESSOR MATCHES "^i.86$")
        string(REGEX REPLACE "^_" "" e "${e}")
      endif()
      string(APPEND exports "  ${e}\n")
    endforeach()
    file(WRITE "${def}" "LIBRARY ${name}.dll\nEXPORTS\n${exports}")
    # Run in the output folder with relative names: dlltool names its symbols after the output.
    execute_process(COMMAND ${CMAKE_DLLTOOL} -k --input-def ${name}.def --dllname ${name}.dll
                            --output-delaylib lib${name}_delay.a
                    WORKING_DIRECTORY "${out_dir}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
  add_library(delay::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(delay::${name} PROPERTIES IMPORTED_LOCATION "${lib}")
endfunction()

if(WIN32)
  foreach(dll ${SETUP_DELAY_LOADED_DLLS})
    delay_import_library(${dll})
  endforeach()
endif()
