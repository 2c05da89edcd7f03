# Run by cpack (CPACK_POST_BUILD_SCRIPTS) once the .deb files are made:
# every archive member gets the mode 100644 (normaliza_deb.py), so that the
# packages do not depend on the umask of the cpack run.
execute_process(COMMAND ${CPACK_VARDEL_PYTHON} ${CPACK_VARDEL_NORMALIZA} ${CPACK_PACKAGE_FILES}
                COMMAND_ERROR_IS_FATAL ANY)
