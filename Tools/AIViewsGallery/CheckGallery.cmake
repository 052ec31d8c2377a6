# Runs AIViewsGallery into a new folder under ROOT and checks its pictures:
#   cmake -DGALLERY=... -DIDENTIFY=... -DROOT=... -P CheckGallery.cmake
# Each run gets a folder of its own, so two runs of one build never touch each other's pictures.
string(TIMESTAMP stamp "%Y%m%d-%H%M%S")
string(RANDOM LENGTH 8 suffix)
set(FOLDER ${ROOT}/run-${stamp}-${suffix})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${GALLERY} ${FOLDER} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "AIViewsGallery failed: ${result}")
endif()
set(scenes
    summary-no-budget summary-80-of-100 summary-250-of-100 summary-1-of-1000 summary-uncapped-ratio
    summary-warnings
    editor-collapsed editor-expanded editor-invalid editor-saved editor-saving
    pill-signed-out pill-healthy pill-warning pill-critical pill-unit-0
    popover-connect popover-account popover-refreshing popover-error
    auth-signed-out auth-connection-code auth-browser auth-device auth-signed-in auth-switch-account
    card-empty card-empty-installed card-test card-test-pro card-test-installed
    card-signed-out card-signed-in card-own-key-saved card-own-key-failed card-ollama-syncing
    focus-quick-pick focus-model-list focus-category-chip focus-provider-tile focus-model-field)
foreach(language en tr)
    foreach(scene IN LISTS scenes)
        set(png ${FOLDER}/${scene}-${language}.png)
        if(NOT EXISTS ${png})
            message(FATAL_ERROR "missing ${png}")
        endif()
        execute_process(COMMAND ${IDENTIFY} -format "%k" ${png} OUTPUT_VARIABLE colours RESULT_VARIABLE result)
        if(NOT result EQUAL 0 OR colours LESS 2)
            message(FATAL_ERROR "${png} is one flat colour (${colours})")
        endif()
    endforeach()
endforeach()
# Pictures are kept only when the check fails, for a look at what went wrong.
file(REMOVE_RECURSE ${FOLDER})
