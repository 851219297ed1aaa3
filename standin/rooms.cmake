# The stand-in's rooms, lowest first. Each room's files may include only their own
# room and the rooms before it; the server itself (the files directly in standin/)
# sits above them all. tests/source/check_standin_rooms.sh names every include that
# goes the other way.
#   platform   the process and the processor: the host's address range and its pages,
#              the host threads' floating-point states, calls and entries in the host's
#              conventions, the C runtime's locale
#   msvc_host  host code compiled for the host's ABI
#   heap       the host heap and its guarded blocks
#   console    the host console, its log and the C runtime's formatting
#   world      the players, their host objects and engine functions, their listings
#   image      the host executable: its map, its memory, the functions bound into it,
#              its console command list, the world wired in, the running host
#   scripts    the script command table and the extension library vkl.dll
#   loader     the ZORM loader and the plug-in module: loading it and its neighbours,
#              the Windows functions it imports, its exports, the loader's records
set(STANDIN_ROOMS platform msvc_host heap console world image scripts loader)
