# The preview uses Qt's files and desktop services and the edit control's widget header,
# whether or not the edit control's library (which brings Qt along) is built yet.
target_link_libraries(verlo_preview PUBLIC Qt6::Widgets)
