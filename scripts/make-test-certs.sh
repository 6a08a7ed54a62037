#!/usr/bin/env bash
# make-test-certs.sh DIR: placeholder, written by the test-server work.
exit 1
