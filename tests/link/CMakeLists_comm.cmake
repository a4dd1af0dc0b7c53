zc_add_test(tst_comm LABEL integration SOURCES tst_comm.cpp LIBS zc_link zc_words)
