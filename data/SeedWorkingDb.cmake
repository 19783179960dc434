# Copies the pristine database FROM to TO, writable, unless TO exists.
if(NOT EXISTS "${TO}")
  get_filename_component(dir "${TO}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${FROM}" "${TO}.part")
  file(CHMOD "${TO}.part" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  file(RENAME "${TO}.part" "${TO}")
endif()
