# Lays out the site in SITE from the files that the build put in STAGE.
#
# Each of HASHED is named by its contents (console.js becomes
# console.<hash>.js), so that a name always means one version of a file and
# the worker may keep serving it for as long as it keeps the copy. Each of
# VENDORED, FROM=TO, moves to TO, under a folder named by its library's
# version. Each of KEPT keeps its address: the entry points, and what
# installing the site asks for. Every quoted reference to a moved file is
# rewritten in the files listed after it, so a file comes after those it
# refers to. Last comes the service worker, written from TEMPLATE, which names
# each file it keeps with the SHA-256 of its contents, and whatever else is in
# SITE goes.
set(text_types .html .js .css .webmanifest)
set(laid_out)
set(moves)

# Copies the staged file NAME to the site as TARGET, or BY_CONTENTS, with its
# references rewritten where it is text.
function(lay_out name target)
    get_filename_component(type ${name} LAST_EXT)
    if(type IN_LIST text_types)
        file(READ ${STAGE}/${name} content)
        foreach(move IN LISTS moves)
            string(REPLACE "=" ";" move ${move})
            list(GET move 0 from)
            list(GET move 1 to)
            string(REPLACE "\"${from}\"" "\"${to}\"" content "${content}")
            string(REPLACE "\"./${from}\"" "\"./${to}\"" content "${content}")
        endforeach()
        string(SHA256 hash "${content}")
    else()
        file(SHA256 ${STAGE}/${name} hash)
    endif()
    if(target STREQUAL "BY_CONTENTS")
        string(SUBSTRING ${hash} 0 16 hash)
        get_filename_component(directory ${name} DIRECTORY)
        get_filename_component(stem ${name} NAME_WLE)
        string(REGEX REPLACE "^/" "" target "${directory}/${stem}.${hash}${type}")
    endif()
    if(type IN_LIST text_types)
        file(WRITE ${SITE}/${target} "${content}")
    else()
        file(COPY_FILE ${STAGE}/${name} ${SITE}/${target} ONLY_IF_DIFFERENT)
    endif()
    if(NOT name STREQUAL target)
        set(moves ${moves} "${name}=${target}" PARENT_SCOPE)
    endif()
    set(laid_out ${laid_out} ${target} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${SITE})
foreach(move IN LISTS VENDORED)
    string(REPLACE "=" ";" move ${move})
    list(GET move 0 from)
    list(GET move 1 to)
    get_filename_component(directory ${SITE}/${to} DIRECTORY)
    file(MAKE_DIRECTORY ${directory})
    lay_out(${from} ${to})
endforeach()
foreach(name IN LISTS HASHED)
    lay_out(${name} BY_CONTENTS)
endforeach()
foreach(name IN LISTS KEPT)
    lay_out(${name} ${name})
endforeach()

# The worker keeps all but itself and the PNG icons, which only installing
# the site needs. The site's version is the SHA-256 of its list.
set(kept ${laid_out})
list(SORT kept)
list(FILTER kept EXCLUDE REGEX "\\.png$")
set(SITE_FILES "{\n")
foreach(name IN LISTS kept)
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND SITE_FILES "    \"${name}\": \"${hash}\",\n")
endforeach()
string(APPEND SITE_FILES "}")
string(SHA256 SITE_VERSION "${SITE_FILES}")
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
list(APPEND laid_out service-worker.js)

# Whatever an older build left in the site folder goes, files and folders.
file(GLOB_RECURSE found RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM found ${laid_out})
foreach(name IN LISTS found)
    file(REMOVE ${SITE}/${name})
endforeach()
file(GLOB_RECURSE folders LIST_DIRECTORIES true ${SITE}/*)
list(REVERSE folders)
foreach(folder IN LISTS folders)
    file(GLOB inside ${folder}/*)
    if(IS_DIRECTORY ${folder} AND NOT inside)
        file(REMOVE_RECURSE ${folder})
    endif()
endforeach()
