# The views of the measurement and output configuration pages (models in config/).
target_sources(flowcfg_app_lib PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ConfigPageViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfigPageViews.h
  ${CMAKE_CURRENT_LIST_DIR}/PageView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageView.h
  ${CMAKE_CURRENT_LIST_DIR}/WholeConfigPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WholeConfigPanel.h
)
target_link_libraries(flowcfg_app_lib PUBLIC flowcfg_config)
