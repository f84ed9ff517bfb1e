# The key dialog and the command line use Qt and the code page's codec, whether or not the
# edit control's library (which brings both along) is built yet.
target_link_libraries(verlo_crypt PUBLIC Qt6::Widgets verlo_text)
