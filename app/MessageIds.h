// Names for the numbers of the message catalogue (resources/messages_en.txt
// and messages_ja.txt), so that a call reads as what it shows:
// LoadMessage(kMsgUploadStart). Every number the program uses has exactly one
// name here, in catalogue order; the catalogue files keep their numbers.
//
// A text that stands under several numbers (the detector's "No Response" line)
// has one name per number, after the operation that uses it. The comment beside
// a name quotes the English text where the name alone does not make it plain.
#pragma once

// X(name, number) for every catalogue number the program uses.
// clang-format off
#define TQ_MESSAGE_IDS(X)                                                                          \
    /* Start-up */                                                                                 \
    X(kMsgAlreadyRunning, 99)                    /* "It has already started." */                   \
    X(kMsgLanguageCode, 101)                     /* "EN" or "JP": which table is in use */         \
                                                                                                   \
    /* Main window: captions */                                                                    \
    X(kMsgAppTitle, 5001)                        /* "TQ-7350 - Setup Program" */                   \
    X(kMsgExit, 5007)                                                                              \
    X(kMsgDownloadState, 5012)                                                                     \
    X(kMsgStatus, 5021)                          /* the link status frame */                       \
    X(kMsgSerialPort, 5022)                                                                        \
    X(kMsgConnect, 5023)                                                                           \
    X(kMsgReadCommands, 5035)                                                                      \
    X(kMsgInstrumentInformation, 5037)                                                             \
    X(kMsgDownloadLoggerData, 5038)                                                                \
    X(kMsgClearLoggerData, 5040)                                                                   \
    X(kMsgPowerOff, 5041)                        /* "Power Off" button */                          \
    X(kMsgInformationGetAndSave, 5047)           /* "Information Get && Save" */                   \
    X(kMsgFileNameSuffix, 5048)                  /* "Filename Suffix at Save" */                   \
    X(kMsgSettingCommands, 5049)                                                                   \
    X(kMsgProgramNumber, 5056)                                                                     \
    X(kMsgSum, 5060)                             /* "SUM" */                                       \
    X(kMsgDetectorStatus, 5208)                  /* "TQ-7350 Status" */                            \
    X(kMsgSerialNoLabel, 5209)                   /* "Serial No. (20 Characters)" */                \
    X(kMsgStationIdLabel, 5210)                  /* "Station ID (16 Characters)" */                \
    X(kMsgUserIdLabel, 5211)                     /* "User ID (16 Characters)" */                   \
    X(kMsgPcDateTime, 5212)                      /* "PC Date/Time" */                              \
    X(kMsgDetectorDateTime, 5213)                /* "TQ-7350 Date/Time" */                         \
    X(kMsgUpdate, 5214)                                                                            \
    X(kMsgDateTimeSet, 5215)                                                                       \
    X(kMsgCalibration, 5216)                                                                       \
    X(kMsgZero, 5218)                                                                              \
    X(kMsgSpan, 5219)                                                                              \
    X(kMsgExitCalibration, 5220)                                                                   \
    X(kMsgDefault, 5221)                         /* "DEFAULT" button */                            \
    X(kMsgEepromDump, 5222)                                                                        \
    X(kMsgIntervalTrendTime, 5223)               /* "Interval Trend Time (Sec)" */                 \
    X(kMsgDetailSettings, 5226)                                                                    \
    X(kMsgWriteCommands, 5227)                                                                     \
    X(kMsgLoadLocalFile, 5228)                                                                     \
    X(kMsgStoreLocalFile, 5229)                                                                    \
    X(kMsgClearPowerLog, 5230)                                                                     \
    X(kMsgWriteCheckData, 5231)                                                                    \
    X(kMsgTeN2Cal, 5232)                         /* "TE N2 Cal" */                                 \
    X(kMsgUpdateId, 5255)                        /* "Update ID" */                                 \
    X(kMsgFlashCheck, 5256)                      /* "FLASH Check" */                               \
                                                                                                   \
    /* Main window: questions and message boxes (a text, then its title) */                        \
    X(kMsgUpdateReady, 5309)                     /* "Update Ready?" */                             \
    X(kMsgUpdateQuestionTitle, 5310)             /* "Update" */                                    \
    X(kMsgUploadCompleteNotice, 5311)            /* "Upload Complete." */                          \
    X(kMsgUploadCompleteTitle, 5312)             /* "Upload" */                                    \
    X(kMsgSensorNotRemoved, 5331)                /* "This sensor is not removed." */               \
    X(kMsgSensorOnOff, 5332)                                                                       \
    X(kMsgSensorDisableReady, 5335)              /* "Gas Sensor Disable. Ready?" */                \
    X(kMsgSensorDisable, 5336)                                                                     \
    X(kMsgDataClearReady, 5343)                  /* "TQ-7350 Data clear Ready?" */                 \
    X(kMsgDataClearTitle, 5344)                  /* "Logger Data Clear" */                         \
    X(kMsgNoSensorsSelected, 5345)               /* "No sensors selected. ..." */                  \
    X(kMsgSpanNotPerformed, 5346)                                                                  \
    /* "TQ-7350 Power off and Serial port off line. Ready?" */                                     \
    X(kMsgPowerOffReady, 5347)                                                                     \
    X(kMsgPowerOffTitle, 5348)                   /* "Power off" */                                 \
    X(kMsgAdjustmentComplete, 5354)                                                                \
    X(kMsgAdjustment, 5355)                                                                        \
    /* "Check warning and alarm value. (red color cells)" */                                       \
    X(kMsgCheckAlarmPoints, 5361)                                                                  \
    X(kMsgAlarmPointRange, 5362)                 /* "Warning and alarm range." */                  \
    X(kMsgNoAvailableSensor, 5365)               /* "No available sensor." */                      \
    X(kMsgNoSensor, 5366)                        /* "No sensor" */                                 \
    X(kMsgOtherOperationRunning, 5367)           /* the EEPROM dump refused */                     \
    X(kMsgNoEepromCommunication, 5368)           /* "No communication available to EEPROM" */      \
    X(kMsgUnavailableCombination, 5369)          /* "This is not available combination." */        \
    X(kMsgCommunicationNotPossible, 5370)        /* "The communication is not possible" */         \
    /* "Cominucation Ports Error. Restart this program." */                                        \
    X(kMsgPortsErrorRestart, 5371)                                                                 \
    X(kMsgPortError, 5372)                       /* "Port Error." */                               \
    X(kMsgEndQuestion, 5373)                     /* "End ?" */                                     \
    X(kMsgDefaultReady, 5374)                    /* "TQ-7350 DEFAULT Ready?" */                    \
    X(kMsgDefaultFinished, 5375)                 /* serial log: "DEFAULT finished" */              \
    X(kMsgDefaultFailed, 5376)                   /* serial log: "DEFAULT failed" */                \
    X(kMsgDefaultTitle, 5377)                    /* "DEFAULT" */                                   \
    X(kMsgEepromDumpTitle, 5378)                 /* "EEPROM Dump" */                               \
    X(kMsgEepromDumpReady, 5379)                 /* "EEPROM Dump List Download Ready?" */          \
    X(kMsgImproperAutoCal, 5380)                 /* "Improper Auto Cal." */                        \
    X(kMsgAutoCalTitle, 5381)                    /* "Auto Cal." */                                 \
    /* "The character that cannot be used for the file name..." */                                 \
    X(kMsgBadFileNameCharacter, 5382)                                                              \
    X(kMsgTeDisabled, 5383)                      /* "TE is Disabled " */                           \
    X(kMsgFlashCheckQuestion, 5386)              /* "FLASH Check ?" */                             \
    X(kMsgFlashCheckTitle, 5387)                 /* "FLASH Check" */                               \
    X(kMsgFlashCheckResult, 5388)                /* "FLASH Check ~1" */                            \
                                                                                                   \
    /* Main window: information pane lines. "TQ-7350 No Response. Check Port,Cable And Power." */  \
    /* stands under five numbers, one name each, after the operation that failed */                \
    X(kMsgConnectNoResponse, 5405)               /* connect polling gave up */                     \
    X(kMsgAutoPowerOff, 5406)                    /* "TQ-7350 Auto Power OFF." */                   \
    X(kMsgAutoPowerOffComplete, 5407)                                                              \
    X(kMsgAutoPowerOffFailed, 5408)                                                                \
    X(kMsgPowerOffNoResponse, 5409)                                                                \
    X(kMsgConnectSequence, 5412)                 /* "Connect Sequence TQ-7350 ...(~1)" */          \
    X(kMsgCalibrationFail, 5413)                 /* "TQ-7350 Calibration Fail." */                 \
    X(kMsgDownloadStart, 5414)                   /* "TQ-7350 Instrument Information Download." */  \
    X(kMsgDownloadComplete, 5415)                                                                  \
    X(kMsgDownloadFailed, 5416)                                                                    \
    X(kMsgDownloadNoResponse, 5417)                                                                \
    X(kMsgTrendDownloadNoResponse, 5422)         /* logger download, flash check */                \
    X(kMsgUploadStart, 5428)                     /* "TQ-7350 Instrument Information Upload." */    \
    X(kMsgUploadComplete, 5429)                  /* "TQ-7350 Upload Complete." */                  \
    X(kMsgConnectionSuccessful, 5432)            /* "TQ-7350 ...Connection Successful." */         \
    X(kMsgDataRemovalStart, 5433)                /* "TQ-7350 Start Data Removal." */               \
    X(kMsgDataRemovalComplete, 5434)                                                               \
    X(kMsgDataRemovalFailed, 5435)                                                                 \
    X(kMsgDataRemovalNoResponse, 5436)                                                             \
    X(kMsgDataDownloadNow, 5445)                 /* "Data download now" */                         \
    X(kMsgCommunicationCanceled, 5462)           /* "Cominucation Canceled." */                    \
    X(kMsgDumpListStart, 5463)                   /* "Dump List Download (~1) Start." */            \
    X(kMsgDumpListFinished, 5464)                /* "Dump List Download (~1) Finished." */         \
    X(kMsgLoggerDataDownload, 5465)              /* "TQ-7350 Log Data Download" */                 \
    X(kMsgDefaultStart, 5466)                    /* "TQ-7350 Start DEFAULT." */                    \
    X(kMsgDefaultComplete, 5467)                                                                   \
    X(kMsgDefaultFail, 5468)                     /* "TQ-7350 DEFAULT Fail ." */                    \
    X(kMsgDataDownloadFailed, 5469)              /* "Data Download Failed." */                     \
    X(kMsgClearPowerAreaStart, 5470)             /* "TQ-7350 Start Clear Power Area." */           \
    X(kMsgClearPowerAreaComplete, 5471)                                                            \
    X(kMsgClearPowerAreaFail, 5472)              /* "TQ-7350 ClearPowerArea Fail ." */             \
    X(kMsgWriteDummyDataComplete, 5473)          /* "TQ-7350 WriteDummyData Complete ." */         \
                                                                                                   \
    /* Serial log entries (SerialLog.log). An entry for a step that the information pane also */   \
    /* reports has Sequence in its name (kMsgDownloadSequenceStart beside kMsgDownloadStart). */   \
    X(kMsgAutoPowerOffSequenceStart, 5506)       /* "---Auto Power OFF Start Sequence---." */      \
    X(kMsgAutoPowerOffSequenceFinished, 5507)    /* "---Auto Power OFF Finished---." */            \
    X(kMsgConnectStarted, 5512)                  /* "---StartUp Connect Sequence Started---" */    \
    X(kMsgConnectFinished, 5514)                 /* "---StartUp Connect Sequence Finished---" */   \
    X(kMsgCalibrationUploadStarted, 5515)        /* "---Calibration Upload Started---" */          \
    X(kMsgCalibrationUploadFailed, 5516)         /* "---Calibration Upload Failed---" */           \
    X(kMsgDownloadSequenceStart, 5517)           /* "---Instrument Download Start Sequence---" */  \
    X(kMsgDownloadSequenceFinished, 5519)        /* "---Instrument Download Finished---" */        \
    X(kMsgDownloadSequenceFailLine, 5520)        /* "---Instrument Download Fail Line---" */       \
    X(kMsgDownloadSequenceFailed, 5521)          /* "---Instrument Download Failed---" */          \
    /* "----Instrument Download Failed--- TQ-7350 No response." */                                 \
    X(kMsgDownloadSequenceNoResponse, 5522)                                                        \
    /* "---Interval Trend Download Start Sequence---" */                                           \
    X(kMsgTrendDownloadSequenceStart, 5523)                                                        \
    /* "---Interval Trend Download Failed. TQ-7350 No response---" */                              \
    X(kMsgTrendDownloadSequenceNoResponse, 5528)                                                   \
    X(kMsgUploadSequenceStart, 5535)             /* "---Instrument Upload Start Sequence---" */    \
    X(kMsgUploadSequenceStarted, 5536)           /* "---Instrument Upload Started---" */           \
    X(kMsgUploadSequenceFinished, 5537)          /* "---Instrument Upload Finished---" */          \
    X(kMsgUploadSequenceFailed, 5538)            /* "---Instrument Upload Failed---" */            \
    X(kMsgPortStandby, 5541)                     /* "Serial Port Standby. Date = ~1" */            \
    X(kMsgBreak, 5542)                           /* "Break Signal Found. Date = ~1" */             \
    X(kMsgFraming, 5543)                         /* "Flame Error. Date = ~1" */                    \
    X(kMsgOverrun, 5544)                         /* "Port Over Run. Date = ~1" */                  \
    X(kMsgReceiveOverflow, 5545)                 /* "Receive Buffer Over Flow. Date = ~1" */       \
    X(kMsgParity, 5546)                                                                            \
    X(kMsgSendOverflow, 5547)                    /* "Send Buffer Over Flow. Date = ~1" */          \
    X(kMsgDeviceControl, 5548)                   /* "Device Control Memory Error. Date = ~1" */    \
    X(kMsgReceived, 5549)                        /* "R : ~1" */                                    \
    X(kMsgPeerConnected, 5550)                   /* "TQ-7350 ...Conneted. Date = ~1" */            \
    X(kMsgSent, 5552)                            /* "W : ~1" */                                    \
    X(kMsgDataRemoveSequenceStart, 5556)         /* "--- Data Remove Start Sequence---" */         \
    X(kMsgDataRemoveSequenceFinished, 5557)      /* "--- Data Remove Finished---." */              \
    X(kMsgDataRemoveSequenceFailed, 5558)        /* "--- Data Remove Failed---." */                \
    /* "--- Data Remove Failed--- TQ-7350 No response." */                                         \
    X(kMsgDataRemoveSequenceNoResponse, 5559)                                                      \
    /* "--- Current reading download time out. ..." */                                             \
    X(kMsgReadingTimeout, 5560)                                                                    \
    X(kMsgDumpListSequenceStarted, 5569)         /* "--- Dump List Download Started. ---(~1)" */   \
    X(kMsgDumpListSequenceFinished, 5570)        /* "--- Dump List Download Finished. ---(...)" */ \
    X(kMsgProcessCanceled, 5589)                 /* "---Process to Canceled---. Date = ~1" */      \
                                                                                                   \
    /* The detector's clock */                                                                     \
    /* "A date is injustice. Make it accurate time, ..." */                                        \
    X(kMsgDetectorDateInvalid, 5590)                                                               \
    /* "A date doesn't correspond to the host. ..." */                                             \
    X(kMsgDateMismatch, 5591)                                                                      \
                                                                                                   \
    /* Settings headings: window, history file, command-line tool */                               \
    X(kMsgSerialNo, 5608)                        /* "Serial No." */                                \
    X(kMsgStationId, 5609)                       /* "Station ID" */                                \
    X(kMsgUserId, 5610)                          /* "User ID" */                                   \
    X(kMsgGas, 5648)                                                                               \
    X(kMsgEnable, 5649)                                                                            \
    X(kMsgWarning, 5650)                                                                           \
    X(kMsgAlarm, 5651)                                                                             \
    X(kMsgStel, 5652)                                                                              \
    X(kMsgTwa, 5653)                                                                               \
    X(kMsgAutoCal, 5654)                         /* "Auto Cal." */                                 \
    X(kMsgCalInterval, 5655)                     /* "Cal.Interval(Days)" */                        \
    X(kMsgCalibrationColumns, 5666)              /* "Gas|Select|Auto Cal.(F)|Current Reading" */   \
    X(kMsgAlarmPoints, 5672)                     /* "Warning and Alarm point" */                   \
                                                                                                   \
    /* Progress window */                                                                          \
    X(kMsgNowUploading, 6001)                                                                      \
    X(kMsgAdjustingZero, 6002)                                                                     \
    X(kMsgAdjustingSpan, 6003)                   /* "Adjusting Span Settings." */                  \
    X(kMsgNowDownloading, 6004)                                                                    \
    X(kMsgProgressCancel, 6005)                  /* "Cancel" */                                    \
    X(kMsgNowCanceling, 6006)                    /* "Now Cancel Processing" */                     \
    X(kMsgEepromDumpList, 6019)                  /* "EEPROM Dump List" */                          \
    X(kMsgDownload, 6056)                        /* "Download" */                                  \
    X(kMsgUpload, 6057)                          /* "Upload" (progress caption) */                 \
    X(kMsgNowWriting, 6058)                                                                        \
                                                                                                   \
    /* Access-code dialog */                                                                       \
    X(kMsgEnterPassword, 7005)                   /* "Please input password." */                    \
    X(kMsgOk, 7010)                                                                                \
    X(kMsgCancel, 7011)                                                                            \
    X(kMsgIncorrectPassword, 7101)               /* "Incorrect Password Entered" */                \
    X(kMsgPassword, 7102)                                                                          \
                                                                                                   \
    /* Factory settings */                                                                         \
    X(kMsgManufactureNumber, 8003)                                                                 \
    X(kMsgAlarmPattern, 8004)                                                                      \
    X(kMsgAlarmReset, 8005)                      /* "Reset" */                                     \
    X(kMsgAlarmLatch, 8006)                      /* "Latch" */                                     \
    X(kMsgCalTimeLimit, 8007)                    /* "Calibration Time Limit(1-365days)" */         \
    X(kMsgLoggerOverwrite, 8009)                 /* "Logger Over Write" */                         \
    X(kMsgCalLimitDisplay, 8010)                 /* "Cal.Limit Display" */                         \
    X(kMsgCalLimitCheck, 8011)                   /* "Cal.Limit Check" */                           \
    X(kMsgConfirmToUse, 8012)                    /* "Confirm to use" */                            \
    X(kMsgCannotUse, 8013)                       /* "Can't use" */                                 \
    X(kMsgNone, 8014)                            /* "None" */                                      \
    X(kMsgDestination, 8015)                                                                       \
    X(kMsgDomestic, 8016)                                                                          \
    X(kMsgHvk, 8017)                             /* "HVK" */                                       \
    X(kMsgAutoZero, 8019)                        /* "Auto Zero Adjustment" */                      \
    X(kMsgDemandZero, 8020)                      /* "Zero Adjustment on demand" */                 \
    X(kMsgUseUserPassword, 8021)                 /* "Enable User Password" */                      \
    X(kMsgOxygenAlarmType, 8022)                 /* "OXY Alarm type" */                            \
    X(kMsgBacklightTime, 8023)                   /* "LCD Backlight Time(0-255sec)" */              \
    X(kMsgUserPassword, 8024)                                                                      \
    X(kMsgFactorySettingTitle, 8025)             /* "TQ-7350 Factory Setting" */                   \
    X(kMsgMinimumFlow, 8026)                     /* "Minimun Flow " */                             \
    X(kMsgStelTwaFunction, 8028)                                                                   \
    X(kMsgBumpTestTime, 8029)                    /* "Bump Test Time(sec)" */                       \
    X(kMsgBumpTestThreshold, 8030)               /* "Bump Test Threshold(%)" */                    \
    X(kMsgCalAfterBumpFail, 8031)                /* "Calibration after Bump Test Failed" */        \
    /* "Calibration Time(sec) after Bump Test Failed" */                                           \
    X(kMsgCalTimeAfterBumpFail, 8032)                                                              \
    X(kMsgLcBhMode, 8033)                        /* "LC/BH Mode" */                                \
    X(kMsgBarHoleTime, 8034)                     /* "Bar Hole Measure Time(sec)" */                \
    X(kMsgLeakCheckBuzzer, 8035)                                                                   \
    X(kMsgHcSelect, 8036)                        /* "HC SELECT" */                                 \
    X(kMsgAlarmFunction, 8037)                                                                     \
    X(kMsgStationList, 8038)                                                                       \
    X(kMsgExportCsv, 8039)                       /* "Export     csv file" */                       \
    X(kMsgImportCsv, 8040)                       /* "Import    csv file" */                        \
    X(kMsgGermany, 8041)                                                                           \
    X(kMsgSpecNo, 8042)                                                                            \
    X(kMsgPressureOffset, 8043)                  /* "PressureSensorOffset" */                      \
    X(kMsgConfirmationBeep, 8044)                /* "Confermation Beep" */                         \
    X(kMsgUserList, 8045)                                                                          \
    X(kMsgForeign, 8046)                                                                           \
    X(kMsgLunchBreak, 8047)                                                                        \
    X(kMsgAlarmSilence, 8048)                                                                      \
    X(kMsgIdDisplay, 8049)                       /* "ID Display" */                                \
    X(kMsgZeroFollower, 8050)                    /* "Zero Follower (~1)" */                        \
    X(kMsgPeakBarDisplay, 8051)                                                                    \
    X(kMsgBatteryType, 8053)                                                                       \
    X(kMsgImproperData, 8056)                    /* "Improper data found  ( ~1 )" */               \
    X(kMsgShNcAutoChange, 8057)                  /* "SH/NC Auto change" */                         \
    X(kMsgBoardType, 8058)                                                                         \
    X(kMsgBoardStandard, 8059)                   /* "Standard" */                                  \
    X(kMsgBoardGasCompany, 8060)                 /* "for Gas Company" */                           \
    X(kMsgDisplayClearLogger, 8061)                                                                \
    X(kMsgDisplayPumpOnOff, 8062)                /* "Display Pump ON/OFF" */                       \
    X(kMsgBumpTimeLimit, 8080)                   /* "Bump Test Time Limit(0-30days)" */            \
    X(kMsgBumpLimitDisplay, 8081)                /* "Bump Test Limit Display" */                   \
    X(kMsgBumpLimitCheck, 8082)                  /* "Bump Test Limit Check" */                     \
    X(kMsgBumpTestFunction, 8083)                                                                  \
    X(kMsgBumpLimitCheckGas, 8084)               /* "Bump Test Limit Check Gas" */                 \
    X(kMsgFourGas, 8085)                         /* "4GAS" */                                      \
    X(kMsgAllGas, 8086)                          /* "ALL" */                                       \
    X(kMsgCalLimitCheckGas, 8087)                /* "Cal.Limit Check Gas" */                       \
                                                                                                   \
    /* Calibration and bump test history */                                                        \
    /* "Action" (the group name doubles as a heading) */                                           \
    X(kMsgAction, 9000)                                                                            \
    X(kMsgLastCalDate, 9001)                     /* "Last Calibration Date" */                     \
    X(kMsgBeforeLastCal, 9002)                   /* "Before Last Calibration" */                   \
    X(kMsgAfterLastCal, 9003)                    /* "After Last Calibration" */                    \
    X(kMsgLastBumpDate, 9004)                    /* "Last Bump Test Date" */                       \
    X(kMsgLastBumpResult, 9005)                  /* "Last Bump Test Result" */                     \
    X(kMsgLastBumpConcentration, 9006)           /* "Last Bump Test Concentration" */              \
    X(kMsgCalibrationTitle, 9201)                /* "TQ-7350 Calibration" */                       \
                                                                                                   \
    /* Shared messages */                                                                          \
    /* "More than one USB Serial Converter is connected" */                                        \
    X(kMsgSeveralAdapters, 20014)                                                                  \
    X(kMsgModuleFinderError, 20015)              /* "module finder error" */                       \
                                                                                                   \
    /* The command-line tool's own texts */                                                        \
    X(kMsgUsage, 21001)                          /* the usage text */                              \
    X(kMsgUnknownCommand, 21002)                 /* Unknown command "~1". */                       \
    X(kMsgUnknownOption, 21003)                                                                    \
    X(kMsgOptionNeedsValue, 21004)                                                                 \
    X(kMsgBadOptionValue, 21005)                                                                   \
    X(kMsgNoCommand, 21006)                                                                        \
    X(kMsgNeedsYes, 21007)                       /* "~1" changes the detector: add --yes ... */    \
    X(kMsgNoDetectorAnswered, 21008)                                                               \
    X(kMsgCannotOpenPort, 21009)                 /* "Cannot open ~1: ~2" */                        \
    X(kMsgNoAdapterFound, 21010)                 /* "No USB infrared adapter was found. ..." */    \
    X(kMsgSettingsFileStored, 21011)                                                               \
    X(kMsgHistoryAppended, 21012)                                                                  \
    X(kMsgCannotWriteFile, 21013)                /* "Cannot write ~1: ~2" */                       \
    X(kMsgNeedsFileName, 21014)                                                                    \
    X(kMsgOneTransportOnly, 21015)                                                                 \
    X(kMsgPartialFileReadFirst, 21016)           /* settings read first, file applied over them */ \
    X(kMsgClockDifference, 21019)                /* "Difference (seconds, detector - PC)" */       \
    X(kMsgNoReading, 21020)                                                                        \
    X(kMsgChannelNotCalibratable, 21021)         /* "Channel ~1 cannot be span calibrated ..." */  \
    X(kMsgBadChannelFlags, 21022)                /* the --channels format */                       \
    X(kMsgBadConcentrations, 21023)              /* the --conc format */                           \
    X(kMsgConcentrationOutOfRange, 21024)        /* span gas value ~1 of channel ~2 unusable */    \
    X(kMsgReferenceMissing, 21025)               /* "The reference image ~1 cannot be read." */    \
    X(kMsgLoggerImageWritten, 21026)                                                               \
    X(kMsgDumpListWritten, 21027)                                                                  \
    X(kMsgSerialPortsHeading, 21028)                                                               \
    X(kMsgAdapterMark, 21029)                    /* "infrared adapter" */                          \
    X(kMsgNoSerialPorts, 21030)                                                                    \
    X(kMsgBadSerialLog, 21031)                   /* "The serial log ~1 cannot be used: ~2" */      \
    X(kMsgUnexpectedArgument, 21032)             /* Unexpected argument "~1". */                   \
    X(kMsgWriteRefused, 21033)                   /* "Nothing was written to the detector." */      \
    X(kMsgCheckFailedChannel, 21034)             /* "Channel ~1." */                               \
    X(kMsgOptionNotForCommand, 21035)            /* Option ~1 does not belong to "~2". */          \
    X(kMsgInterrupted, 21036)                                                                      \
    X(kMsgClockSetFailed, 21037)                                                                   \
    X(kMsgHistoryReadFailed, 21038)                                                                \
    X(kMsgChannelHeading, 21039)                 /* "Channel ~1" */                                \
    X(kMsgOneMoreTime, 21041)                    /* "One more time !" */                           \
    X(kMsgCommandFailed, 21042)                                                                    \
    X(kMsgSimStateError, 21043)                  /* "Emulator state ~1: ~2" */                     \
    X(kMsgReadFirstForId, 21044)                 /* identity items: detector read first */         \
    X(kMsgCalibrationFailedChannels, 21045)      /* "Not every channel was adjusted." */           \
    /* "More than one infrared adapter is connected: ..." */                                       \
    X(kMsgAmbiguousAdapter, 21046)                                                                 \
    X(kMsgConnectingTo, 21047)                   /* "Connecting to ~1" */                          \
    X(kMsgWrittenCommands, 21048)                /* "~1 write commands sent." */                   \
    X(kMsgSimStateNeedsSim, 21049)               /* "--sim-state needs --sim." */                  \
    /* "--serial-no, --station-id and --user-id are written with --id only." */                    \
    X(kMsgIdOptionNeedsId, 21050)                                                                  \
                                                                                                   \
    /* The main window's own texts: demo mode and port opening */                                  \
    /* "DEMO MODE: the TQ-7350 is simulated inside this program. ..." */                           \
    X(kMsgDemoModeNotice, 22001)                                                                   \
    X(kMsgNoIrdaAdapter, 22002)                  /* "No USB IrDA adapter found. ..." */            \
    X(kMsgDemoTitleSuffix, 22004)                /* " [DEMO]" */                                   \
    X(kMsgPortNotOpened, 22005)                  /* "Port not opened: ~1" */                       \
    X(kMsgConnectingThrough, 22006)              /* "Connecting through ~1" */                     \
    X(kMsgDemoLabel, 22007)                      /* "DEMO" */                                      \
    /* group 23000 */ /* writes: verification, failures, unfinished writes, rule texts */          \
    X(kMsgReadingPresentSettings, 23001)                                                           \
    X(kMsgNowVerifying, 23002)                                                                     \
    X(kMsgWriteRefusedCommand, 23003)            /* "The detector refused A1 (Warning)." */        \
    X(kMsgWriteNoAnswer, 23004)                                                                    \
    X(kMsgWriteLineLost, 23005)                                                                    \
    X(kMsgWriteNotStored, 23006)                                                                   \
    X(kMsgWriteCancelled, 23007)                                                                   \
    X(kMsgVerifyDifference, 23008)               /* "Alarm, CO: sent 35, the detector holds 50" */ \
    X(kMsgVerifyFailed, 23009)                                                                     \
    X(kMsgOldValuesRestored, 23010)                                                                \
    X(kMsgOldValuesNotRestored, 23011)                                                             \
    X(kMsgWriteUnfinished, 23012)                                                                  \
    X(kMsgUnfinishedWriteFound, 23013)                                                             \
    X(kMsgFinishWrite, 23014)                                                                      \
    X(kMsgRestoreOldValues, 23015)                                                                 \
    X(kMsgJournalNotSaved, 23016)                                                                  \
    X(kMsgUploadFailed, 23017)                                                                     \
    X(kMsgWriteVerified, 23018)                                                                    \
    X(kMsgCustomSensor, 23019)                                                                     \
    X(kMsgListEntry, 23020)                      /* "Station List, entry 8" */                     \
    X(kMsgNotVerified, 23021)                                                                      \
    X(kMsgRecoveryDone, 23022)                                                                     \
    X(kMsgRecoveryNeeded, 23023)                                                                   \
    X(kMsgNoUnfinishedWrite, 23024)                                                                \
    X(kMsgRecoveryFailed, 23025)                                                                   \
    X(kMsgChannelLabel, 23026)                   /* a channel without a gas name: "CH3" */         \
    X(kMsgRangeAtLeast, 23027)                                                                     \
    X(kMsgRangeAtMost, 23028)                                                                      \
    X(kMsgRangeBetween, 23029)                                                                     \
    X(kMsgRangeNotUsed, 23030)                                                                     \
    X(kMsgPointAbove, 23031)                     /* "Warning 60 is above Alarm 50" */              \
    X(kMsgPointBelow, 23032)                                                                       \
    X(kMsgPointOutsideLimits, 23033)                                                               \
    X(kMsgChannelCheckLine, 23034)               /* "Channel 0 CH4(100%LEL): ..." */               \
    X(kMsgEditRefusedLimit, 23035)                                                                 \
    X(kMsgAutoCalOutside, 23036)                                                                   \
    X(kMsgHcBothOrNone, 23037)                                                                     \
    X(kMsgHcVolAlone, 23038)                                                                       \
    X(kMsgHcLelAlone, 23039)                                                                       \
    X(kMsgHcDifferentGases, 23040)                                                                 \
    X(kMsgChannelWithoutName, 23041)                                                               \
    X(kMsgEditRefusedNumber, 23042)                                                                \
    X(kMsgFinishOrRestore, 23043)                                                                  \
    X(kMsgRecoverChoose, 23044)                                                                    \
    X(kMsgFileWarning, 23045)                                                                      \
    X(kMsgBadOptionRange, 23046)                                                                   \
    X(kMsgForeignModel, 23047)                                                                     \
    X(kMsgConnectionRefused, 23048)                                                                \
    X(kMsgSpanValueSnapped, 23049)                                                                 \
    X(kMsgUnfinishedWriteQuestion, 23050)                                                          \
    X(kMsgDecideLater, 23051)                                                                      \
    /* group 24000 */ /* main window: writes and settings files */                                 \
    X(kMsgDateTimeSetFailed, 24001)                                                                \
    X(kMsgCheckDataWriteFailed, 24002)                                                             \
    X(kMsgReasonRefused, 24003)                                                                    \
    X(kMsgReasonNoAnswer, 24004)                                                                   \
    X(kMsgReasonLineLost, 24005)                                                                   \
    X(kMsgReasonCancelled, 24006)                                                                  \
    X(kMsgReasonNotConnected, 24007)                                                               \
    X(kMsgReasonBusy, 24008)                                                                       \
    X(kMsgLinkBusyNothingSent, 24009)                                                              \
    X(kMsgPreviewAgainst, 24010)                                                                   \
    X(kMsgPreviewNoChange, 24011)                                                                  \
    X(kMsgPreviewNoRead, 24012)                                                                    \
    X(kMsgPreviewChange, 24013)                                                                    \
    X(kMsgPreviewNew, 24014)                                                                       \
    X(kMsgGasOfChannel, 24015)                                                                     \
    X(kMsgGasWithStep, 24016)                                                                      \
    X(kMsgConfigDataFilter, 24017)                                                                 \
    X(kMsgAllFilesFilter, 24018)                                                                   \
    X(kMsgSettingsLoaded, 24019)                                                                   \
    X(kMsgSettingsNotLoaded, 24020)                                                                \
    X(kMsgSettingsStored, 24021)                                                                   \
    X(kMsgSettingsNotStored, 24022)                                                                \
    X(kMsgHistoryNotAppended, 24023)                                                               \
    X(kMsgEditRefusedEmpty, 24024)                                                                 \
    X(kMsgWriteNotConnected, 24025)                                                                \
    X(kMsgDryRunCommands, 24026)                                                                   \
    X(kMsgFileWarningLine, 24027)                                                                  \
    X(kMsgReasonClockNotTaken, 24028)                                                              \
    X(kMsgReasonClockNotRead, 24029)                                                               \
    /* group 25000 */ /* main window: reads, logger, maintenance */                                \
    X(kMsgFlashReferenceMissing, 25001)          /* "reference image missing" */                   \
    X(kMsgClearLogDataFailed, 25002)             /* fixed English text in both catalogues */       \
    X(kMsgClearPowerLogFailed, 25003)            /* fixed English text in both catalogues */       \
    X(kMsgWriteCheckDataFailed, 25004)           /* fixed English text in both catalogues */       \
    X(kMsgClearPowerQuestion, 25005)             /* fixed English text in both catalogues */       \
    X(kMsgClearPowerTitle, 25006)                /* fixed English text in both catalogues */       \
    X(kMsgHistoryNotWritten, 25007)                                                                \
    X(kMsgLoggerImageKept, 25008)                                                                  \
    X(kMsgProgressBlocks, 25009)                 /* progress window: blocks done of the total */   \
    X(kMsgProgressTimeLeft, 25010)               /* progress window: time left, m:ss */            \
    X(kMsgProgressEstimating, 25011)                                                               \
    X(kMsgLoggerImageSaved, 25012)                                                                 \
    X(kMsgProgressStepsLine, 25013)              /* progress window: the blocks, then the time left */\
    /* group 26000 */ /* factory settings dialog, station and user lists */                        \
    X(kMsgTabStationUser, 26001)                 /* tab; "&&" shows as one "&" */                  \
    X(kMsgTabParameter, 26002)                                                                     \
    X(kMsgTabSetUp, 26003)                                                                         \
    X(kMsgTabFactorySettings, 26004)                                                               \
    X(kMsgTabOther, 26005)                                                                         \
    X(kMsgTabGasTable, 26006)                                                                      \
    X(kMsgLeftSpace, 26007)                      /* leading blanks of an identifier */             \
    X(kMsgExportComplete, 26008)                                                                   \
    X(kMsgCsvFilter, 26009)                                                                        \
    X(kMsgChoiceOffOn, 26011)                    /* items of a setup row */                        \
    X(kMsgChoiceHcSelect, 26012)                                                                   \
    X(kMsgChoiceLcBh, 26013)                                                                       \
    X(kMsgChoiceBattery, 26014)                                                                    \
    X(kMsgChoiceOxygenAlarm, 26015)                                                                \
    X(kMsgGasNumber, 26016)                      /* "Gas1" in "Zero Follower (Gas1)" */            \
    X(kMsgGasTableHeaders, 26017)                                                                  \
    X(kMsgGasCurveHeaders, 26018)                                                                  \
    X(kMsgGasTableNote, 26019)                                                                     \
    X(kMsgListFileUnreadable, 26020)                                                               \
    X(kMsgListFileTooLarge, 26021)                                                                 \
    X(kMsgListFileLineTooLong, 26022)                                                              \
    X(kMsgListFileNul, 26023)                                                                      \
    X(kMsgListFileNotUtf8, 26024)                                                                  \
    X(kMsgListFileTooManyLines, 26025)                                                             \
    X(kMsgListFileNotWritten, 26026)                                                               \
    X(kMsgListFileNothingChanged, 26027)                                                           \
    X(kMsgListReading, 26030)                                                                      \
    X(kMsgListExported, 26031)                                                                     \
    X(kMsgListLineInvalid, 26032)                                                                  \
    X(kMsgListLineUnsendable, 26033)                                                               \
    X(kMsgListRefused, 26034)                                                                      \
    X(kMsgListForceHint, 26035)                                                                    \
    X(kMsgListForced, 26036)                                                                       \
    X(kMsgListNothingToWrite, 26037)                                                               \
    X(kMsgListWriting, 26038)                                                                      \
    X(kMsgListImported, 26039)                                                                     \
    X(kMsgListActionNeeded, 26040)                                                                 \
    /* group 27000 */ /* calibration windows */                                                    \
    X(kMsgHcRangeLelVol, 27001)                  /* combustible-gas range: LEL or vol */           \
    X(kMsgHcRangePpm, 27002)                     /* combustible-gas range: ppm */                  \
    X(kMsgHcSelectFrame, 27003)                                                                    \
    X(kMsgDryGas, 27004)                                                                           \
    X(kMsgWetGas, 27005)                                                                           \
    X(kMsgCh4PpmFrame, 27006)                                                                      \
    X(kMsgTrendTitle, 27007)                                                                       \
    X(kMsgTrendAxis, 27008)                                                                        \
    X(kMsgSpanGas, 27009)                        /* the span-gas line of the trend */              \
    X(kMsgSpanValueHint, 27010)                  /* a refused concentration */                     \
    /* group 28000 */ /* instrument register */                                                    \
    X(kMsgRegisterBadLocation, 28001)                                                              \
    X(kMsgRegisterFailed, 28002)                                                                   \
    X(kMsgRegisterNoDriver, 28003)                                                                 \
    X(kMsgRegisterNoFolder, 28004)                                                                 \
    X(kMsgRegisterNewerSchema, 28005)                                                              \
    X(kMsgRegisterOverdue, 28006)                                                                  \
    X(kMsgRegisterDueSoon, 28007)                                                                  \
    X(kMsgRegisterDueOk, 28008)                                                                    \
    X(kMsgRegisterEventRead, 28009)                                                                \
    X(kMsgRegisterEventWrite, 28010)                                                               \
    X(kMsgRegisterEventZero, 28011)                                                                \
    X(kMsgRegisterEventSpan, 28012)                                                                \
    X(kMsgRegisterEventMaintenance, 28013)                                                         \
    X(kMsgRegisterSucceeded, 28014)                                                                \
    X(kMsgRegisterFailedWord, 28015)                                                               \
    X(kMsgRegisterColSerial, 28016)                                                                \
    X(kMsgRegisterColStation, 28017)                                                               \
    X(kMsgRegisterColUser, 28018)                                                                  \
    X(kMsgRegisterColLastSeen, 28019)                                                              \
    X(kMsgRegisterColLastCal, 28020)                                                               \
    X(kMsgRegisterColCalDue, 28021)                                                                \
    X(kMsgRegisterColCalState, 28022)                                                              \
    X(kMsgRegisterColBumpDue, 28023)                                                               \
    X(kMsgRegisterColBumpState, 28024)                                                             \
    X(kMsgRegisterColEvents, 28025)                                                                \
    X(kMsgRegisterFileFailed, 28026)                                                               \
    X(kMsgRegisterUnknownDetector, 28027)                                                          \
    X(kMsgRegisterNoSuchRun, 28028)                                                                \
    X(kMsgRegisterNoRuns, 28029)                                                                   \
    X(kMsgCertificateTitle, 28030)                                                                 \
    X(kMsgCertificateProgram, 28031)                                                               \
    X(kMsgCertificateProgramName, 28032)                                                           \
    X(kMsgCertificateModel, 28033)                                                                 \
    X(kMsgCertificateDate, 28034)                                                                  \
    X(kMsgCertificateRun, 28035)                                                                   \
    X(kMsgCertificateChannel, 28036)                                                               \
    X(kMsgCertificateGas, 28037)                                                                   \
    X(kMsgCertificateRange, 28038)                                                                 \
    X(kMsgCertificateSpan, 28039)                                                                  \
    X(kMsgCertificateResult, 28040)                                                                \
    X(kMsgCertificateBefore, 28041)                                                                \
    X(kMsgCertificateAfter, 28042)                                                                 \
    X(kMsgCertificateReading, 28043)                                                               \
    X(kMsgCertificatePassed, 28044)                                                                \
    X(kMsgCertificateFailed, 28045)                                                                \
    X(kMsgCertificateNextDue, 28046)                                                               \
    X(kMsgCertificateNoDue, 28047)                                                                 \
    X(kMsgCertificateSignature, 28048)                                                             \
    X(kMsgRegisterNotRecorded, 28049)                                                              \
    X(kMsgRegisterActionNeeded, 28050)                                                             \
    X(kMsgRegisterOptionForAction, 28051)                                                          \
    X(kMsgRegisterNeedsOut, 28052)                                                                 \
    X(kMsgRegisterOff, 28053)                                                                      \
    X(kMsgRegisterCertificateWritten, 28054)                                                       \
    X(kMsgRegisterExported, 28055)                                                                 \
    X(kMsgRegisterTitle, 28056)                                                                    \
    X(kMsgRegisterFilter, 28057)                                                                   \
    X(kMsgRegisterExportCsv, 28058)                                                                \
    X(kMsgRegisterRefresh, 28059)                                                                  \
    X(kMsgRegisterBack, 28060)                                                                     \
    X(kMsgRegisterCertificateButton, 28061)                                                        \
    X(kMsgRegisterEventsHeading, 28062)                                                            \
    X(kMsgRegisterSettingsHeading, 28063)                                                          \
    X(kMsgRegisterDifferencesHeading, 28064)                                                       \
    X(kMsgRegisterNoDifferences, 28065)                                                            \
    X(kMsgRegisterFirstRead, 28066)                                                                \
    X(kMsgRegisterNotARead, 28067)                                                                 \
    X(kMsgRegisterColNumber, 28068)                                                                \
    X(kMsgRegisterColTime, 28069)                                                                  \
    X(kMsgRegisterColEvent, 28070)                                                                 \
    X(kMsgRegisterColResult, 28071)                                                                \
    X(kMsgRegisterDetectorHeading, 28072)                                                          \
    X(kMsgRegisterCsvFilter, 28073)                                                                \
    X(kMsgRegisterPdfFilter, 28074)                                                                \
    X(kMsgRegisterCount, 28075)                                                                    \
    X(kMsgRegisterWrittenHeading, 28076)                                                           \
    X(kMsgRegisterUsage, 28077)                  /* usage: the register command and options */     \
    /* group 29000 */ /* installation */                                                           \
    X(kMsgUsageVersion, 29001)                   /* usage: the --version form */                   \
    /* end of the list */
// clang-format on

#define TQ_MESSAGE_ID_CONSTANT(name, number) constexpr int name = number;
TQ_MESSAGE_IDS(TQ_MESSAGE_ID_CONSTANT)
#undef TQ_MESSAGE_ID_CONSTANT

// Every name with its number, in catalogue order (consistency checks).
struct MessageIdEntry {
    const char* name;
    int number;
};
#define TQ_MESSAGE_ID_ENTRY(name, number) {#name, number},
inline constexpr MessageIdEntry kMessageIdTable[] = {TQ_MESSAGE_IDS(TQ_MESSAGE_ID_ENTRY)};
#undef TQ_MESSAGE_ID_ENTRY
