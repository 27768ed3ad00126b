# Compiles the control's IDL with widl: the C++ header, the identifiers and the
# type library.  widl needs Wine's system IDL files and stdole2.tlb.
set(WINE_IDL_DIR /usr/include/wine/wine/windows)
set(WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(WIDL_TARGET --win32)
else()
    set(WIDL_TARGET --win64)
endif()

function(fexo_widl idl_file basename out_dir)
    add_custom_command(
        OUTPUT ${out_dir}/${basename}.h ${out_dir}/${basename}_i.c ${out_dir}/${basename}.tlb
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${FEXO_WIDL} ${WIDL_TARGET} -I${WINE_IDL_DIR} -L${WINE_TLB_DIR}
                -h -H ${out_dir}/${basename}.h
                -u -U ${out_dir}/${basename}_i.c
                -t -T ${out_dir}/${basename}.tlb
                ${idl_file}
        DEPENDS ${idl_file}
        COMMENT "widl ${basename}.idl"
        VERBATIM)
endfunction()
