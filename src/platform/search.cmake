# the Find dialog
