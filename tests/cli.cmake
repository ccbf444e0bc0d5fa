# Tests of the companion command geometrija-cli: the unit tests run it as a process (cli_test.cpp,
# cli_conventions_test.cpp), its documents are checked, and its outputs compared with the golden files.

target_compile_definitions(unit_tests PRIVATE
    GEOMETRIJA_CLI="$<TARGET_FILE:geometrija-cli>"
    GEOMETRIJA_EXAMPLES="${PROJECT_SOURCE_DIR}/examples"
    GEOMETRIJA_PROJECT_VERSION="${PROJECT_VERSION}")
add_dependencies(unit_tests geometrija-cli)

# The JSON document against its schema (docs/scene.schema.json) with Debian's python3-jsonschema, and the
# figure read as SVG and rendered by rsvg-convert.
foreach(check schema figure)
    add_test(NAME Cli.Documents.${check}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/cli_documents_test.py
                     $<TARGET_FILE:geometrija-cli> ${PROJECT_SOURCE_DIR} ${check})
    set_tests_properties(Cli.Documents.${check} PROPERTIES TIMEOUT 120)
endforeach()



# What the command prints for every example pair, byte for byte as checked in under golden/ (points, JSON,
# exact crossings). After a change meant to alter them: python3 tests/golden_test.py CLI examples
# tests/golden NAME --update, and the new files go into the same commit.
foreach(example apart default far horizontal lines many negative nested same tall)
    add_test(NAME Golden.${example}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/golden_test.py $<TARGET_FILE:geometrija-cli>
                     ${PROJECT_SOURCE_DIR}/examples ${CMAKE_CURRENT_SOURCE_DIR}/golden ${example})
endforeach()
