# Writes OUTPUT from TEMPLATE, the service worker, naming each of FILES, the
# site's files in the SITE folder, with the SHA-256 of its contents, and the
# site's version: the SHA-256 of that list. The worker keeps all but itself
# and the PNG icons, which only installing the site needs.
set(names ${FILES})
list(SORT names)
list(FILTER names EXCLUDE REGEX "\\.png$|^service-worker\\.js$")
set(SITE_FILES "{\n")
foreach(name IN LISTS names)
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND SITE_FILES "    \"${name}\": \"${hash}\",\n")
endforeach()
string(APPEND SITE_FILES "}")
string(SHA256 SITE_VERSION "${SITE_FILES}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
