// seed
#define SUPPORT_RIPPLE	1
#define SENSOR_T1_DPI_100	0x02
#define SENSOR_T1_DPI_200	4 // two words
#define SENSOR_3395_DPI_400	0x08
#define SENSOR_T1_DPI_12800	0xFF