# `cmake --build build --target release`: the portable zip, the installer and their checksums in
# build/release/, signed when a code-signing certificate is given (see tools/make-release.sh).
set(PATHWREN_RELEASE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(PATHWREN_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(PATHWREN_RELEASE_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/tools/make-release.sh)

add_custom_target(release
    COMMAND bash ${PATHWREN_RELEASE_SCRIPT} $<TARGET_FILE:Pathwren> ${PATHWREN_RELEASE_DIR}
            ${PATHWREN_RELEASE_VERSION} ${PATHWREN_PORTABLE_ZIP_NAME}
    DEPENDS Pathwren
    COMMENT "Making the release in ${PATHWREN_RELEASE_DIR}"
    VERBATIM USES_TERMINAL)
