# Precompiled headers: the Qt and standard headers nearly every file of a library includes
# are parsed once per library instead of once per file, which halves the CPU time of the
# window's pages and takes a third off a cold build of the programs scripts/run.sh starts
# (130 s instead of 191 s of CPU time). Off by default, so that the usual builds catch a
# missing include, and because ccache caches a file built with a precompiled header only
# when its sloppiness allows it (scripts/run.sh turns both on).
option(ZC_PRECOMPILE_HEADERS "Precompile the Qt headers most files include" OFF)
if(ZC_PRECOMPILE_HEADERS)
  target_precompile_headers(zc_ui PRIVATE
    <QWidget> <QTableView> <QHeaderView> <QPushButton> <QLabel> <QVBoxLayout> <QPainter>
    <QKeyEvent> <QString> <QList> <QDateTime> <functional> <vector>)
  foreach(target zc_link zc_settings zc_numbers zc_history zc_sheets zc_devsim)
    target_precompile_headers(${target} PRIVATE
      <QString> <QByteArray> <QList> <QStringList> <QObject> <algorithm> <vector> <functional>)
  endforeach()
endif()
