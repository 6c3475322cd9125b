# Lays out the all-users folder in the build tree as it is installed: the texts file, and an
# empty DECSOFT folder. Decoder software files come from the decoders' maker (the online update,
# or a file the user opens); none of ours is ever installed. The folder is emptied at every
# build, since it is installed as it stands and older build trees generated a file into it.
add_custom_target(shared_data ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${TOBRIK_SHARE_DIR}/DECSOFT
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_SHARE_DIR}/DECSOFT
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/data/TBK_Texte.txt ${TOBRIK_SHARE_DIR}/TBK_Texte.txt
  COMMENT "Staging the shared data folder")

# The demo's decoder software file, made up by our generator: a few decoder types in 32-byte
# (TYPE 1) and 64-byte (TYPE 2) blocks. It lies in the demo user's own software folder below
# build/demo (scripts/run.sh sets XDG_DATA_HOME to it), outside what is installed, and its images
# carry the generator's mark, so they only ever go to a simulated programmer.
set(TOBRIK_DEMO_DATA_HOME ${CMAKE_BINARY_DIR}/demo)
set(TOBRIK_DEMO_DSW ${TOBRIK_DEMO_DATA_HOME}/VARNO/PLV/DECSOFT/DECODERSW.DAT)
add_custom_command(OUTPUT ${TOBRIK_DEMO_DSW}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOBRIK_DEMO_DATA_HOME}/VARNO/PLV/DECSOFT
  COMMAND tobrik-cli make-dsw --layout token --out ${TOBRIK_DEMO_DSW}
          12:TB-M10:2.14:1:1024 13:TB-M11:2.14:1:1024 30:TB-S30:1.07:2:1536
          31:TB-S31:1.07:2:1536 40:TB-F40:3.02:1:768 55:TB-L55:1.00:2:512
  DEPENDS tobrik-cli
  COMMENT "Generating the demo's decoder software file")
add_custom_target(demo_decoder_software ALL DEPENDS ${TOBRIK_DEMO_DSW})
