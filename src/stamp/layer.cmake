# The stamp uses Qt's date and time types and the edit control's widget header, whether
# or not the edit control's library (which brings Qt along) is built yet.
target_link_libraries(verlo_stamp PUBLIC Qt6::Widgets)
