# The two neural models come from the pinned npm packages (scripts/setup.sh installs them) and are
# copied into the application's resources as models/<file>; the runtime checks their SHA-256 at load.
set(ZUNO_NEURAL_MODELS
    ${ZUNO_NODE_MODULES}/@mediapipe/selfie_segmentation/selfie_segmentation_landscape.tflite
    ${ZUNO_NODE_MODULES}/@mediapipe/face_detection/face_detection_short_range.tflite)
set(ZUNO_NEURAL_MODEL_COPIES)
foreach(model IN LISTS ZUNO_NEURAL_MODELS)
    get_filename_component(name ${model} NAME)
    add_custom_command(OUTPUT ${ZUNO_BUILD_RESOURCES}/models/${name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZUNO_BUILD_RESOURCES}/models
        COMMAND ${CMAKE_COMMAND} -E copy ${model} ${ZUNO_BUILD_RESOURCES}/models/${name}
        DEPENDS ${model}
        COMMENT "Copying neural model ${name}")
    list(APPEND ZUNO_NEURAL_MODEL_COPIES ${ZUNO_BUILD_RESOURCES}/models/${name})
endforeach()
add_custom_target(ZunoCamNeuralModels ALL DEPENDS ${ZUNO_NEURAL_MODEL_COPIES})
# Whatever links the camera core finds the models in the build tree.
add_dependencies(ZunoCamCore ZunoCamNeuralModels)
install(FILES ${ZUNO_NEURAL_MODELS} DESTINATION ${CMAKE_INSTALL_DATADIR}/zunocam/models)
