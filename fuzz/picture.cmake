# PNG, GIF and JPEG files are walked for an early end before Qt decodes them;
# the picture seeds of the image target serve here too.
korva_fuzz_target(fuzz_picture_whole ${CMAKE_CURRENT_LIST_DIR}/PictureWholeFuzz.cpp image korva_codec)
