# lilv's own file renderer plays a file through the bundle: a host with no
# URID map, no event port and one frame per call. The output has every
# frame of the input.
#   cmake -DCHORD=... -DLV2_PATH=... -DURI=... -DOUT=dir -P Lv2Apply.cmake
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CHORD} --bars 1 ${OUT}/in.wav RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kolvane-chord failed: ${rc}")
endif()
file(REMOVE ${OUT}/out.wav)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=${LV2_PATH}
          lv2apply -i ${OUT}/in.wav -o ${OUT}/out.wav -c filter_cutoff 0.3 -c midi_gate 0 ${URI}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lv2apply failed: ${rc}")
endif()
file(SIZE ${OUT}/in.wav in_size)
file(SIZE ${OUT}/out.wav out_size)
if(NOT in_size EQUAL out_size)
  message(FATAL_ERROR "lv2apply wrote ${out_size} bytes for ${in_size} bytes of input")
endif()
message(STATUS "lv2apply rendered ${out_size} bytes")
