# The stamp command is tested wired to the settings dialog's check boxes, as the main
# window wires it.
target_link_libraries(stamp_date_stamper PRIVATE verlo_dialogs)
