add_subdirectory(render)
