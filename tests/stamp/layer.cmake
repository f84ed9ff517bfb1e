# The stamp command is tested wired to the settings dialog's check boxes, as the main
# window wires it.
if(TARGET stamp_date_stamper AND TARGET verlo_settings)
  target_link_libraries(stamp_date_stamper PRIVATE verlo_settings)
endif()
