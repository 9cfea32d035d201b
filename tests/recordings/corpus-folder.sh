# Sourced by make-corpus.sh and replay-corpus.sh: the working folder a recording
# of the corpus is made in and replayed in, the same both times.
# The user area's image carries the times of the files packed into it: fixed
# times and zone make it the same in every checkout.
export TZ=UTC

# prepare_corpus_folder <examples folder> <work folder>
prepare_corpus_folder() {
  cp -r "$1" "$2"
  rm -f "$2/userdata.img" "$2/UserAreaFirstSector" "$2/BootArea.bin" "$2/UserArea.bin"
  find "$2" -exec touch -h -d '2026-01-01 12:00:00' {} +
}
