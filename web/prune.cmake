# Deletes from the SITE folder every file that is not one of FILES, so that
# the folder holds the site as this build ships it and nothing that an older
# build left there.
file(GLOB_RECURSE found RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM found ${FILES})
foreach(name IN LISTS found)
    message(STATUS "Removing ${name} from the site, which no longer ships it")
    file(REMOVE ${SITE}/${name})
endforeach()
