# Tests of the companion command geometrija-cli: the unit tests run it as a process (cli_test.cpp), and its
# SVG picture is rasterised and compared with a screenshot of the program's window under Xvfb.

target_compile_definitions(unit_tests PRIVATE
    GEOMETRIJA_CLI="$<TARGET_FILE:geometrija-cli>"
    GEOMETRIJA_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
    GEOMETRIJA_PROJECT_VERSION="${PROJECT_VERSION}")
add_dependencies(unit_tests geometrija-cli)

# Share of the window's pixels the rasterised SVG must reproduce in exactly the same colour. Measured on the
# examples: 99.98% to 100% (the few pixels that differ lie where a line passes exactly between two pixel
# centres, and the window's rasteriser and the SVG renderer break the tie differently). Not examples/far:
# about 100000 from the origin the window's single-precision pipeline places vertices up to a pixel from
# where the SVG's double arithmetic puts them (99.7% agree).
set(GEOMETRIJA_SVG_AGREEMENT 0.999)
foreach(example default lines apart many tall negative)
    add_test(NAME Cli.SvgMatchesWindow.${example}
             COMMAND /bin/bash ${CMAKE_CURRENT_SOURCE_DIR}/svg_window_test.sh
                     $<TARGET_FILE:geometrija> $<TARGET_FILE:geometrija-cli> ${PROJECT_SOURCE_DIR} ${example}
                     ${GEOMETRIJA_SVG_AGREEMENT})
    set_tests_properties(Cli.SvgMatchesWindow.${example} PROPERTIES TIMEOUT 120 LABELS window)
endforeach()

# The JSON document against its schema (docs/scene.schema.json) with Debian's python3-jsonschema, and the
# figure read as SVG and rendered by rsvg-convert.
foreach(check schema figure)
    add_test(NAME Cli.Documents.${check}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/cli_documents_test.py
                     $<TARGET_FILE:geometrija-cli> ${PROJECT_SOURCE_DIR} ${check})
    set_tests_properties(Cli.Documents.${check} PROPERTIES TIMEOUT 120)
endforeach()

# cmake --install into a prefix of its own, and the installed programs run.
add_test(NAME Install.Prefix
         COMMAND /bin/bash ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(Install.Prefix PROPERTIES TIMEOUT 120)

# What the command prints for every example pair, byte for byte as checked in under golden/ (points, JSON,
# exact crossings). After a change meant to alter them: python3 tests/golden_test.py CLI examples
# tests/golden NAME --update, and the new files go into the same commit.
foreach(example apart default far horizontal lines many negative nested same tall)
    add_test(NAME Golden.${example}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/golden_test.py $<TARGET_FILE:geometrija-cli>
                     ${PROJECT_SOURCE_DIR}/examples ${CMAKE_CURRENT_SOURCE_DIR}/golden ${example})
endforeach()
