# Copies the language files (and nothing that only keeps the folder in git).
file(GLOB files "${FROM}/*.lng")
foreach(f IN LISTS files)
  file(COPY "${f}" DESTINATION "${TO}")
endforeach()
