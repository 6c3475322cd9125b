# Lays out the all-users folder in the build tree: the texts file, and the DECSOFT folder
# with any shipped decoder software files.
add_custom_target(shared_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_SHARE_DIR}/DECSOFT
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/data/TBK_Texte.txt ${TOBRIK_SHARE_DIR}/TBK_Texte.txt
  COMMENT "Staging the shared data folder")

# The shipped sample decoder software file holds made-up images only: a few decoder types in
# 32-byte (TYPE 1) and 64-byte (TYPE 2) blocks, so a new installation can be tried at once.
set(TOBRIK_SAMPLE_DSW ${TOBRIK_SHARE_DIR}/DECSOFT/DECODERSW.DAT)
add_custom_command(OUTPUT ${TOBRIK_SAMPLE_DSW}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_SHARE_DIR}/DECSOFT
  COMMAND tobrik-cli make-dsw --layout token --out ${TOBRIK_SAMPLE_DSW}
          12:TB-M10:2.14:1:1024 13:TB-M11:2.14:1:1024 30:TB-S30:1.07:2:1536
          31:TB-S31:1.07:2:1536 40:TB-F40:3.02:1:768 55:TB-L55:1.00:2:512
  DEPENDS tobrik-cli
  COMMENT "Generating the sample decoder software file")
add_custom_target(sample_decoder_software ALL DEPENDS ${TOBRIK_SAMPLE_DSW})
add_dependencies(shared_data sample_decoder_software)
