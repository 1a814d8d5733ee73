# Test recordings made at build time: sine tones as WAV by tonavise-cli, encoded to MP3 by lame,
# converted and made by sox.
set(TONAVISE_TEST_MEDIA ${CMAKE_CURRENT_BINARY_DIR}/media PARENT_SCOPE)
set(TONAVISE_TEST_MEDIA ${CMAKE_CURRENT_BINARY_DIR}/media)
set(_cli $<TARGET_FILE:tonavise-cli>)
set(_media
  ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav
  ${TONAVISE_TEST_MEDIA}/a4-11k-8bit.wav
  ${TONAVISE_TEST_MEDIA}/a4-48k-stereo.wav
  ${TONAVISE_TEST_MEDIA}/a4-22k-stereo.wav
  ${TONAVISE_TEST_MEDIA}/a4-44k-mono.mp3
  ${TONAVISE_TEST_MEDIA}/a4-22k-stereo.mp3
  ${TONAVISE_TEST_MEDIA}/a4-tagged.mp3
  ${TONAVISE_TEST_MEDIA}/a4-44k-24bit-stereo.wav
  ${TONAVISE_TEST_MEDIA}/a4-44k-32bit.wav
  ${TONAVISE_TEST_MEDIA}/a4-44k-24bit-plain.wav
  ${TONAVISE_TEST_MEDIA}/a4-44k-3ch.wav
  ${TONAVISE_TEST_MEDIA}/a4-48k-24bit-4ch.wav)
add_custom_command(
  OUTPUT ${_media}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TONAVISE_TEST_MEDIA}
  COMMAND ${_cli} sine --freq 440 --seconds 2 -o ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav
  COMMAND ${_cli} sine --freq 440 --seconds 2 --rate 11025 --bits 8 -o ${TONAVISE_TEST_MEDIA}/a4-11k-8bit.wav
  COMMAND ${_cli} sine --freq 440 --seconds 2 --rate 48000 --channels 2 -o ${TONAVISE_TEST_MEDIA}/a4-48k-stereo.wav
  COMMAND ${_cli} sine --freq 440 --seconds 2 --rate 22050 --channels 2 -o ${TONAVISE_TEST_MEDIA}/a4-22k-stereo.wav
  COMMAND lame --quiet -b 128 ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav ${TONAVISE_TEST_MEDIA}/a4-44k-mono.mp3
  COMMAND lame --quiet -b 64 ${TONAVISE_TEST_MEDIA}/a4-22k-stereo.wav ${TONAVISE_TEST_MEDIA}/a4-22k-stereo.mp3
  COMMAND lame --quiet -b 128 --id3v2-only --tt "A4 test tone" ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav ${TONAVISE_TEST_MEDIA}/a4-tagged.mp3
  # As recording programs write them (sox): 24-bit and 32-bit and more than two channels in the
  # extensible format, 24-bit also with the plain PCM tag. The four-channel file's second channel
  # is the first inverted: a feed that mixed it in would hear silence.
  COMMAND sox ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav -b 24 -c 2 ${TONAVISE_TEST_MEDIA}/a4-44k-24bit-stereo.wav
  COMMAND sox ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav -b 32 -e signed-integer ${TONAVISE_TEST_MEDIA}/a4-44k-32bit.wav
  COMMAND sox ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav -t wavpcm -b 24 ${TONAVISE_TEST_MEDIA}/a4-44k-24bit-plain.wav
  COMMAND sox ${TONAVISE_TEST_MEDIA}/a4-44k-mono.wav -c 3 ${TONAVISE_TEST_MEDIA}/a4-44k-3ch.wav
  COMMAND sox -n -r 48000 -b 24 -c 4 ${TONAVISE_TEST_MEDIA}/a4-48k-24bit-4ch.wav synth 2 sine 440 sine 440 0 50 sine 1000 sine 1000 gain -6
  DEPENDS tonavise-cli
  COMMENT "Making test recordings")
add_custom_target(test_media ALL DEPENDS ${_media})
