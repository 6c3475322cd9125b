# Lays out the all-users folder in the build tree: the texts file, and the DECSOFT folder
# with any shipped decoder software files.
add_custom_target(shared_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_SHARE_DIR}/DECSOFT
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/data/TBK_Texte.txt ${TOBRIK_SHARE_DIR}/TBK_Texte.txt
  COMMENT "Staging the shared data folder")
