# Decision logic with no Windows dependency (parsers, text rules, URL handling).
# Each file here builds for Windows and natively; add new pure files to this list.
set(FEXO_PURE_SOURCES
    com/property_stream.cpp
    com/registry_script.cpp
    com/registry_script_plan.cpp
    control/argument_list.cpp
    control/file_name_rules.cpp
    control/navigation_rules.cpp
    control/page_url.cpp
    control/plugin_event_rules.cpp
    control/print_arguments.cpp
    control/text_rules.cpp
    download/file_url.cpp
    download/percent_decoding.cpp
    plugin/candidate_list.cpp
    support/gexception.cpp
    support/glist.cpp
)
list(TRANSFORM FEXO_PURE_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/../)
