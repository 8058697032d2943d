echo "bench none"
