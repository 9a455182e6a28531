# Delay-load import libraries: a DLL named here is loaded on the first call into it rather than
# before WinMain. Start-up to the painted window pays only for what the window needs; the file
# dialog, power, device-enumeration, audio, COM, shell (tray) and HID DLLs (and what they pull
# in under Wine) come in when the user, the end of the start or the deferred start first uses
# them. Only system DLLs that are always present
# belong here: a failed delay load raises an exception at the call instead of refusing to start.
find_program(KESTRUNE_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
find_program(KESTRUNE_NM NAMES x86_64-w64-mingw32-nm REQUIRED)

# kestrune_delay_import(<variable> <import library> <DLL name>) sets <variable> to a library
# that resolves every function of <import library> through the delay-load helper.
function(kestrune_delay_import variable library dll)
  find_library(import_lib_${library} NAMES ${library} REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delayimp)
  set(delay_lib ${out}/libdelay${library}.a)
  if(NOT EXISTS ${delay_lib} OR ${import_lib_${library}} IS_NEWER_THAN ${delay_lib})
    file(MAKE_DIRECTORY ${out})
    execute_process(COMMAND ${KESTRUNE_NM} ${import_lib_${library}} OUTPUT_VARIABLE symbols
                    COMMAND_ERROR_IS_FATAL ANY)
    # The import library's __imp_ pointers name the functions the DLL exports.
    string(REGEX MATCHALL "[\r\n][0-9a-f]* *I __imp_[A-Za-z0-9_@?$]+" entries "\n${symbols}")
    set(exports "")
    foreach(entry IN LISTS entries)
      string(REGEX REPLACE ".*__imp_" "" name "${entry}")
      list(APPEND exports "${name}")
    endforeach()
    list(REMOVE_DUPLICATES exports)
    list(JOIN exports "\n" exports)
    file(WRITE ${out}/${library}.def "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${KESTRUNE_DLLTOOL} --input-def ${out}/${library}.def --dllname ${dll}
                            --output-delaylib ${delay_lib}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(${variable} ${delay_lib} PARENT_SCOPE)
endfunction()

set(KESTRUNE_DELAYED_LIBS "")
foreach(pair comdlg32:comdlg32.dll powrprof:powrprof.dll setupapi:setupapi.dll winmm:winmm.dll
             oleaut32:oleaut32.dll ole32:ole32.dll shell32:shell32.dll shlwapi:shlwapi.dll hid:hid.dll
             oleacc:oleacc.dll)
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 library)
  list(GET pair 1 dll)
  kestrune_delay_import(delayed ${library} ${dll})
  list(APPEND KESTRUNE_DELAYED_LIBS ${delayed})
endforeach()
# The helper the delay-load thunks call, from the MinGW-w64 runtime.
list(APPEND KESTRUNE_DELAYED_LIBS delayimp)
