/* A resource module: loaded as data only, so it needs no code of its own. */
int uninst_test_skin_marker;
